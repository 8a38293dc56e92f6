#pragma once
// Password boxes show "*" for every typed character, whatever the desktop
// style's own mask character is.

class QLineEdit;

namespace quill {

// Masks BOX with "*"; the box owns the style it is given.
void MaskWithStars(QLineEdit* box);

}  // namespace quill
