#pragma once
// The help window: the program's help file (HTML, one anchor per topic
// number) in a browser window that stays open beside the diary.

#include <QString>

class QDialog;
class QWidget;

namespace quill {

inline constexpr const char* kHelpFileName = "QUILLBK.HLP";
inline constexpr int kHelpContentsTopic = 1009;
// The folder the help text names; the window shows the one in use instead.
inline constexpr const char* kHelpTextDiaryFolder = "~/.local/share/quillbook/";

// The anchor name of a topic number in the help file.
QString HelpTopicAnchor(int topic);

// Opens the help file at the topic, in the one help window (raised when it
// is already open). DIARYFOLDER, when given, is the folder the text names
// as the diary's. A missing or unreadable file is reported with "Cannot
// open file <path>". Answers whether the window was shown.
bool ShowHelpTopic(QWidget* parent, const QString& helpFile, int topic,
                   const QString& diaryFolder = QString());

// The help window while it is open, else null.
QDialog* OpenHelpWindow();

}  // namespace quill
