#include "app/locale_dates.h"

namespace quill {

namespace {

bool IsFieldLetter(QChar c) { return c == 'd' || c == 'M' || c == 'y'; }

// A literal in the target patterns: letters that are pattern letters there
// (d, m, y in either case) and the date separator "/" must be quoted.
void AppendLiteral(std::string& out, const QString& text) {
    if (text.isEmpty()) return;
    const std::string bytes = text.toStdString();
    if (bytes.find('\'') == std::string::npos) {
        out += "'" + bytes + "'";
    } else {
        out += "\"" + bytes + "\"";
    }
}

}  // namespace

std::string ConvertQtDateFormat(const QString& f) {
    std::string out;
    for (qsizetype i = 0; i < f.size();) {
        const QChar c = f[i];
        if (c == '\'') {
            // Quoted literal; "''" inside or outside quotes is one quote.
            if (i + 1 < f.size() && f[i + 1] == '\'') {
                AppendLiteral(out, "'");
                i += 2;
                continue;
            }
            QString literal;
            qsizetype j = i + 1;
            while (j < f.size()) {
                if (f[j] == '\'') {
                    if (j + 1 < f.size() && f[j + 1] == '\'') {
                        literal += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                literal += f[j++];
            }
            AppendLiteral(out, literal);
            i = j + 1;
            continue;
        }
        if (IsFieldLetter(c)) {
            qsizetype n = 1;
            while (i + n < f.size() && f[i + n] == c) ++n;
            const char letter = c == 'M' ? 'm' : static_cast<char>(c.unicode());
            qsizetype count = n;
            if (letter == 'y') count = n >= 3 ? 4 : 2;
            if (count > 4) count = 4;
            out.append(static_cast<std::size_t>(count), letter);
            i += n;
            continue;
        }
        if (c.isLetter() || c == '/') {
            // Other letters and a slash are literal text in Qt's format but
            // pattern characters in ours.
            QString literal(c);
            AppendLiteral(out, literal);
            ++i;
            continue;
        }
        out += QString(c).toStdString();
        ++i;
    }
    return out;
}

char DateSeparatorOf(const QLocale& locale) {
    const QString f = locale.dateFormat(QLocale::ShortFormat);
    bool afterField = false;
    for (QChar c : f) {
        if (IsFieldLetter(c)) {
            afterField = true;
        } else if (afterField && c.unicode() < 0x80 && !c.isSpace() && c != '\'') {
            return static_cast<char>(c.unicode());
        }
    }
    return '/';
}

void FillDateSettingsFromLocale(const QLocale& locale, DateSettings& settings) {
    settings.longDateFormat = ConvertQtDateFormat(locale.dateFormat(QLocale::LongFormat));
    settings.dateSeparator = DateSeparatorOf(locale);
    for (int m = 1; m <= 12; ++m) {
        settings.longMonthNames[m - 1] = locale.monthName(m, QLocale::LongFormat).toStdString();
        settings.shortMonthNames[m - 1] = locale.monthName(m, QLocale::ShortFormat).toStdString();
    }
    // Qt counts Monday as 1 and Sunday as 7; the settings start on Sunday.
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d;
        settings.longDayNames[d] = locale.dayName(qtDay, QLocale::LongFormat).toStdString();
        settings.shortDayNames[d] = locale.dayName(qtDay, QLocale::ShortFormat).toStdString();
    }
}

}  // namespace quill
