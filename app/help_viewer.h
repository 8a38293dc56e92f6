#pragma once
// The help window: the program's help file (HTML, one anchor per topic
// number) in a browser dialog.

#include <QString>

class QWidget;

namespace quill {

inline constexpr const char* kHelpFileName = "QUILLBK.HLP";
inline constexpr int kHelpContentsTopic = 1009;

// The anchor name of a topic number in the help file.
QString HelpTopicAnchor(int topic);

// Opens the help file at the topic; a missing or unreadable file is reported
// with "Cannot open file <path>". Answers whether the window was shown.
bool ShowHelpTopic(QWidget* parent, const QString& helpFile, int topic);

}  // namespace quill
