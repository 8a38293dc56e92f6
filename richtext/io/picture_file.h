#pragma once
// Reads the picture a linked picture names. A page loaded or pasted from
// anywhere may name any path, so only a regular file of picture size that
// starts like a picture is read; anything else keeps its link without data.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "richtext/model/text_object.h"

namespace quill {

// Largest picture file read for a link.
inline constexpr size_t kMaxLinkedPictureBytes = 16u << 20;

// Whether the bytes start like a PNG, JPEG, GIF, BMP, WMF or EMF file.
bool LooksLikePicture(std::string_view head);

// The picture in the file, or none when it is no regular file, is larger
// than kMaxLinkedPictureBytes, cannot be read or does not start like a
// picture. A bitmap becomes a device-independent bitmap (the file header
// dropped); every other picture a metafile record: a placeable metafile as
// it is, the others behind a 22-byte zero header.
std::unique_ptr<TPicture> ReadPictureFile(const std::string& path);

}  // namespace quill
