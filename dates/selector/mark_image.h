#pragma once
// The 16 x 16 mark drawn on calendar days that have an entry: a small
// written page on a pure white ground.

#include <QImage>

namespace quill {

QImage EntryMarkImage();

// IMAGE with its pure white pixels made transparent, so that drawing it
// copies every other pixel unchanged and leaves the white ones out.
QImage WhiteAsTransparent(const QImage& image);

}  // namespace quill
