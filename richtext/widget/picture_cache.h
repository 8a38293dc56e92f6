#pragma once
// Turns the picture bytes of a document into images Qt can draw: PNG, JPEG
// and BMP files as they are, device-independent bitmaps (the file header is
// missing and put back), device-dependent bitmaps from their row layout,
// and metafiles that only wrap a bitmap. Other metafiles decode to a null
// image and are shown as a placeholder.

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace quill {

struct TPicture;

// A null image when the bytes are not a picture Qt can show.
QImage DecodePicture(const TPicture& picture);

// Decoded pictures by the document's picture, so that painting decodes each
// only once. A picture whose bytes changed (or a new one at a freed one's
// address) is decoded again: the entry keeps a fingerprint of the bytes.
class TPictureCache {
 public:
  // The image, or null when the picture cannot be decoded.
  const QImage* Find(const TPicture* picture);
  void Forget(const TPicture* picture) { cache_.erase(picture); }
  void Clear() { cache_.clear(); }
  size_t Size() const { return cache_.size(); }

 private:
  struct Entry {
    uint64_t fingerprint = 0;
    bool decoded = false;
    QImage image;
  };
  std::unordered_map<const TPicture*, Entry> cache_;
};

}  // namespace quill
