#include "dates/date_text.h"

#include <cctype>

namespace quill {

DateSettings& CurrentDateSettings() {
    static DateSettings settings;
    return settings;
}

namespace {

size_t RunLength(const std::string& s, size_t at, char c) {
    size_t n = 0;
    while (at + n < s.size() && std::tolower(static_cast<unsigned char>(s[at + n])) == c) ++n;
    return n;
}

void Append(std::string& out, Date date, const std::string& pattern, const DateSettings& st,
            int depth) {
    for (size_t i = 0; i < pattern.size();) {
        char raw = pattern[i];
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(raw)));
        if (raw == '\'' || raw == '"') {
            size_t end = pattern.find(raw, i + 1);
            if (end == std::string::npos) end = pattern.size();
            out.append(pattern, i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (raw == '/') {
            out += st.dateSeparator;
            ++i;
            continue;
        }
        size_t n = (c == 'd' || c == 'm' || c == 'y') ? RunLength(pattern, i, c) : 0;
        if (n == 0) {
            out += raw;
            ++i;
            continue;
        }
        if (c == 'd') {
            if (n >= 6 && depth == 0) {
                Append(out, date, st.longDateFormat, st, depth + 1);
                n = 6;
            } else if (n == 5 && depth == 0) {
                Append(out, date, st.shortDateFormat, st, depth + 1);
            } else if (n >= 4) {
                out += st.longDayNames[DayOfWeek(date)];
                n = 4;
            } else if (n == 3) {
                out += st.shortDayNames[DayOfWeek(date)];
            } else if (n == 2) {
                out += TwoDigits(date.day);
            } else {
                out += std::to_string(date.day);
            }
        } else if (c == 'm') {
            if (n >= 4) {
                out += st.longMonthNames[date.month - 1];
                n = 4;
            } else if (n == 3) {
                out += st.shortMonthNames[date.month - 1];
            } else if (n == 2) {
                out += TwoDigits(date.month);
            } else {
                out += std::to_string(date.month);
            }
        } else {  // y
            if (n >= 3) {
                std::string y = std::to_string(date.year);
                while (y.size() < 4) y.insert(y.begin(), '0');
                out += y;
                n = n >= 4 ? 4 : n;
            } else {
                out += TwoDigits(date.year % 100);
            }
        }
        i += n;
    }
}

}  // namespace

std::string FormatDate(Date date, const std::string& pattern, const DateSettings& settings) {
    std::string out;
    Append(out, date, pattern, settings, 0);
    return out;
}

std::string LongDateText(Date date) { return FormatDate(date, "dddddd"); }
std::string ShortDateText(Date date) { return FormatDate(date, "ddddd"); }

}  // namespace quill
