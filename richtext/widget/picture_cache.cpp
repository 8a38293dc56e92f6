#include "richtext/widget/picture_cache.h"

#include <QColor>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "richtext/model/text_object.h"

namespace quill {

namespace {

// Room the reader leaves before a metafile's bytes.
constexpr size_t kMetafilePrefix = 22;
constexpr int kMaxSide = 16384;

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

bool StartsWith(const uint8_t* p, size_t n, const char* magic, size_t m) {
  return n >= m && std::memcmp(p, magic, m) == 0;
}

// Whole image files, whatever kind the document recorded for them.
QImage DecodeImageFile(const uint8_t* p, size_t n) {
  const char* format = nullptr;
  if (StartsWith(p, n, "\x89PNG\r\n\x1A\n", 8)) format = "PNG";
  else if (StartsWith(p, n, "\xFF\xD8\xFF", 3)) format = "JPEG";
  else if (StartsWith(p, n, "BM", 2) && n > 14 + 12 && Le32(p + 2) <= n + 1024) format = "BMP";
  if (!format) return QImage();
  return QImage::fromData(p, int(std::min<size_t>(n, size_t(INT32_MAX))), format);
}

// A DIB is a bitmap file without its 14-byte file header; the header's only
// real content is where the pixels start, after the info header and colours.
QImage DecodeDib(const uint8_t* p, size_t n) {
  if (n < 12) return QImage();
  const uint32_t headerSize = Le32(p);
  uint32_t colorBytes = 0;
  if (headerSize == 12) {
    const uint16_t bits = Le16(p + 10);
    if (bits <= 8) colorBytes = 3u << bits;
  } else if (headerSize >= 40 && n >= 40) {
    const uint16_t bits = Le16(p + 14);
    const uint32_t compression = Le32(p + 16);
    uint32_t used = Le32(p + 32);
    if (used == 0 && bits <= 8) used = 1u << bits;
    if (used > 256 && bits <= 8) used = 256;
    colorBytes = used * 4;
    if (headerSize == 40 && compression == 3) colorBytes += 12;  // colour masks
    if (headerSize == 40 && compression == 6) colorBytes += 16;
  } else {
    return QImage();
  }
  const uint64_t offset = 14ull + headerSize + colorBytes;
  if (offset > 14ull + n) return QImage();
  std::vector<uint8_t> file(14 + n);
  const uint32_t total = uint32_t(std::min<uint64_t>(file.size(), UINT32_MAX));
  file[0] = 'B';
  file[1] = 'M';
  for (int i = 0; i < 4; ++i) {
    file[size_t(2 + i)] = uint8_t(total >> (8 * i));
    file[size_t(10 + i)] = uint8_t(offset >> (8 * i));
  }
  std::memcpy(file.data() + 14, p, n);
  return QImage::fromData(file.data(), int(std::min<size_t>(file.size(), size_t(INT32_MAX))), "BMP");
}

// The sixteen colours a 4-bit device bitmap stands for.
const QRgb kVga16[16] = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                         0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                         0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};

// A device-dependent bitmap: rows top down, widthBytes apart, pixels in the
// device's layout (1, 4, 8, 16, 24 or 32 bits, blue first).
QImage DecodeDeviceBitmap(const TPicture& pic) {
  const int w = pic.pixelWidth, h = pic.pixelHeight, bits = pic.bitsPerPixel;
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || pic.planes > 1) return QImage();
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return QImage();
  const int64_t minRow = (int64_t(w) * bits + 7) / 8;
  const int64_t stride = pic.widthBytes > 0 ? pic.widthBytes : (int64_t(w) * bits + 15) / 16 * 2;
  if (stride < minRow || stride * h > int64_t(pic.data.size())) return QImage();
  const uint8_t* data = pic.data.data();

  if (bits == 1) {
    QImage img(w, h, QImage::Format_Mono);
    img.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < h; ++y) std::memcpy(img.scanLine(y), data + stride * y, size_t(minRow));
    return img;
  }
  if (bits == 4 || bits == 8) {
    QImage img(w, h, QImage::Format_Indexed8);
    QList<QRgb> colors;
    if (bits == 4) {
      colors = QList<QRgb>(kVga16, kVga16 + 16);
    } else {
      for (int i = 0; i < 256; ++i) colors.push_back(qRgb((i >> 5) * 255 / 7, ((i >> 2) & 7) * 255 / 7, (i & 3) * 255 / 3));
    }
    img.setColorTable(colors);
    for (int y = 0; y < h; ++y) {
      const uint8_t* row = data + stride * y;
      uchar* out = img.scanLine(y);
      for (int x = 0; x < w; ++x) out[x] = bits == 8 ? row[x] : ((x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4);
    }
    return img;
  }
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = data + stride * y;
    auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < w; ++x) {
      if (bits == 16) {
        const uint16_t v = Le16(row + 2 * x);
        out[x] = qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31);
      } else {
        const uint8_t* px = row + (bits / 8) * x;
        out[x] = qRgb(px[2], px[1], px[0]);
      }
    }
  }
  return img;
}

// A metafile that only carries a bitmap (as word processors wrap pictures
// for older readers) shows that bitmap; one with drawing of its own cannot
// be drawn here. The bitmap counts when it fills the metafile's window.
QImage DecodeMetafileBitmap(const uint8_t* p, size_t n) {
  if (n >= 22 && Le32(p) == 0x9AC6CDD7u) {  // placeable header
    p += 22;
    n -= 22;
  }
  if (n < 18 || (Le16(p) != 1 && Le16(p) != 2) || Le16(p + 2) != 9) return QImage();
  int windowW = 0, windowH = 0;
  const uint8_t* dib = nullptr;
  size_t dibSize = 0;
  int destW = 0, destH = 0;
  for (size_t at = 18; at + 6 <= n;) {
    const uint64_t bytes = uint64_t(Le32(p + at)) * 2;
    const uint16_t function = Le16(p + at + 4);
    if (bytes < 6 || at + bytes > n || function == 0) break;
    const uint8_t* r = p + at + 6;
    size_t params = 0;            // bytes before the DIB in this record
    size_t heightAt = 0, widthAt = 0;  // where the destination size stands
    switch (function) {
      case 0x020C:  // window extent: height, width
        if (bytes >= 10) {
          windowH = std::abs(int16_t(Le16(r)));
          windowW = std::abs(int16_t(Le16(r + 2)));
        }
        break;
      case 0x0F43:  // StretchDIBits
        params = 22, heightAt = 14, widthAt = 16;
        break;
      case 0x0B41:  // DIBStretchBlt
        params = 20, heightAt = 12, widthAt = 14;
        break;
      case 0x0940:  // DIBBitBlt
        params = 16, heightAt = 8, widthAt = 10;
        break;
      case 0x0D33:  // SetDIBitsToDevice
        params = 18, heightAt = 10, widthAt = 12;
        break;
      default:
        break;
    }
    if (params > 0 && bytes > 6 + params + 40 && (dib == nullptr || size_t(bytes) > dibSize)) {
      dib = r + params;
      dibSize = size_t(bytes) - 6 - params;
      destH = std::abs(int16_t(Le16(r + heightAt)));
      destW = std::abs(int16_t(Le16(r + widthAt)));
    }
    at += size_t(bytes);
  }
  if (!dib) return QImage();
  if (windowW > 0 && windowH > 0 && (destW * 10 < windowW * 9 || destH * 10 < windowH * 9)) return QImage();
  return DecodeDib(dib, dibSize);
}

// Kind, size, and a few hundred bytes spread over the data: cheap enough
// for every paint, and different for any two pictures one would swap.
uint64_t Fingerprint(const TPicture& picture) {
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](uint64_t v) {
    h ^= v;
    h *= 1099511628211ull;
  };
  const auto& d = picture.data;
  mix(picture.kind);
  mix(d.size());
  mix(uint64_t(uint32_t(picture.pixelWidth)) << 32 | uint32_t(picture.pixelHeight));
  mix(uint64_t(uint32_t(picture.bitsPerPixel)) << 32 | uint32_t(picture.widthBytes));
  const size_t n = d.size();
  if (n <= 1024) {
    for (uint8_t b : d) mix(b);
  } else {
    for (size_t i = 0; i < 256; ++i) mix(d[i * (n - 1) / 255]);
    for (size_t i = 0; i < 128; ++i) mix(d[i] | uint64_t(d[n - 1 - i]) << 8);
  }
  return h;
}

}  // namespace

QImage DecodePicture(const TPicture& picture) {
  const uint8_t* p = picture.data.data();
  size_t n = picture.data.size();
  if (picture.kind == pkMetafile && n >= kMetafilePrefix &&
      std::all_of(p, p + kMetafilePrefix, [](uint8_t b) { return b == 0; })) {
    p += kMetafilePrefix;
    n -= kMetafilePrefix;
  }
  QImage image = DecodeImageFile(p, n);
  if (!image.isNull()) return image;
  if (picture.kind == pkDib) return DecodeDib(p, n);
  if (picture.kind == pkBitmap) return DecodeDeviceBitmap(picture);
  return DecodeMetafileBitmap(p, n);
}

const QImage* TPictureCache::Find(const TPicture* picture) {
  if (!picture) return nullptr;
  Entry& e = cache_[picture];
  const uint64_t fingerprint = Fingerprint(*picture);
  if (!e.decoded || e.fingerprint != fingerprint) {
    e.decoded = true;
    e.fingerprint = fingerprint;
    e.image = DecodePicture(*picture);
  }
  return e.image.isNull() ? nullptr : &e.image;
}

}  // namespace quill
