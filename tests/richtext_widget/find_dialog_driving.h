#pragma once
// Driving the Find and Replace dialogs as a user does: typing the text to
// find, clicking the options and buttons, and answering the message boxes
// they show.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <ostream>
#include <string>
#include <vector>

#include "richtext/widget/find_dialogs.h"

namespace quill::test {

// Answers every message box that comes up with Enter, keeping its text.
class MessageWatch {
 public:
  MessageWatch() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts.push_back(box->text().toStdString());
        QTest::keyClick(box, Qt::Key_Return);
      }
    });
    timer_.start();
  }
  std::vector<std::string> texts;

 private:
  QTimer timer_;
};

enum class Dir { None, Down, Up };

// A match or selection in finder positions.
struct Sel {
  int start;
  int length;
  bool operator==(const Sel&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Sel& s) {
  return os << "(" << s.start << "," << s.length << ")";
}

inline void Click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

// On the indicator, which a wide check box's middle may miss.
inline void Check(QAbstractButton* b, bool on) {
  if (b->isChecked() != on) QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
  ASSERT_EQ(b->isChecked(), on);
}

// Replaces the box's text by typing, one key event a character.
inline void TypeInto(QLineEdit* edit, const QString& text) {
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Delete);
  for (QChar c : text) QTest::sendKeyEvent(QTest::Click, edit, Qt::Key(c.toUpper().unicode()), QString(c), {});
  ASSERT_EQ(edit->text(), text);
}

// The text to find and the options; Dir::None leaves the direction as it is.
inline void SetOptions(TFindReplaceDialog* d, const QString& text, bool wholeWord, bool matchCase, Dir dir) {
  TypeInto(d->FindEdit(), text);
  Check(d->WholeWordBox(), wholeWord);
  Check(d->MatchCaseBox(), matchCase);
  if (dir == Dir::Down) Check(d->DownButton(), true);
  if (dir == Dir::Up) Check(d->UpButton(), true);
}

}  // namespace quill::test
