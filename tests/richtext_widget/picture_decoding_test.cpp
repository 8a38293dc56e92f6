// Pictures of a document decoded for drawing, the cache, and how the canvas
// draws them or a placeholder.
#include <gtest/gtest.h>

#include <QBuffer>

#include "canvas_test_support.h"
#include "richtext/io/rtf_text_io.h"
#include "richtext/model/text_object.h"
#include "richtext/widget/picture_cache.h"
#include "widget_test_support.h"

namespace quill {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode(const QImage& image, const char* format) {
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format));
  return Bytes(out.begin(), out.end());
}

// A small picture with one colour per pixel.
QImage Sample() {
  QImage img(3, 2, QImage::Format_RGB32);
  const QRgb colors[6] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                          qRgb(255, 255, 0), qRgb(0, 0, 0), qRgb(255, 255, 255)};
  for (int i = 0; i < 6; ++i) img.setPixel(i % 3, i / 3, colors[i]);
  return img;
}

void ExpectSamePixels(const QImage& got, const QImage& want, int tolerance = 0) {
  ASSERT_EQ(got.size(), want.size());
  for (int y = 0; y < want.height(); ++y)
    for (int x = 0; x < want.width(); ++x) {
      const QColor a = got.pixelColor(x, y), b = want.pixelColor(x, y);
      EXPECT_NEAR(a.red(), b.red(), tolerance) << x << "," << y;
      EXPECT_NEAR(a.green(), b.green(), tolerance) << x << "," << y;
      EXPECT_NEAR(a.blue(), b.blue(), tolerance) << x << "," << y;
    }
}

TPicture Picture(uint8_t kind, Bytes data) {
  TPicture p;
  p.kind = kind;
  p.data = std::move(data);
  return p;
}

void Put16(Bytes& b, int v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, int(v & 0xFFFF));
  Put16(b, int(v >> 16));
}

// An info header of 40 bytes, bottom-up rows.
Bytes InfoHeader(int w, int h, int bits, uint32_t compression = 0, uint32_t colorsUsed = 0) {
  Bytes b;
  Put32(b, 40);
  Put32(b, uint32_t(w));
  Put32(b, uint32_t(h));
  Put16(b, 1);
  Put16(b, bits);
  Put32(b, compression);
  Put32(b, 0);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, colorsUsed);
  Put32(b, 0);
  return b;
}

TEST(PictureDecoding, ImageFilesWhateverTheRecordedKind) {
  const QImage sample = Sample();
  const Bytes png = Encode(sample, "PNG");
  Bytes wrapped(22, 0);  // as stored for a metafile
  wrapped.insert(wrapped.end(), png.begin(), png.end());
  const TPicture cases[] = {Picture(pkMetafile, png), Picture(pkMetafile, wrapped), Picture(pkDib, png),
                            Picture(pkBitmap, Encode(sample, "BMP"))};
  for (const auto& p : cases) ExpectSamePixels(DecodePicture(p), sample);

  // JPEG loses a little colour.
  QImage flat(8, 8, QImage::Format_RGB32);
  flat.fill(qRgb(200, 40, 40));
  ExpectSamePixels(DecodePicture(Picture(pkMetafile, Encode(flat, "JPEG"))), flat, 8);
}

TEST(PictureDecoding, DeviceIndependentBitmaps) {
  // What a bitmap file holds after its 14-byte file header.
  const QImage sample = Sample();
  Bytes fromQt = Encode(sample, "BMP");
  ExpectSamePixels(DecodePicture(Picture(pkDib, Bytes(fromQt.begin() + 14, fromQt.end()))), sample);

  // 8 bits with two colours in use: the pixels start after two entries.
  Bytes eight = InfoHeader(2, 1, 8, 0, 2);
  for (uint8_t v : {0, 0, 255, 0, 0, 255, 0, 0}) eight.push_back(v);  // red, green (blue first)
  for (uint8_t v : {1, 0, 0, 0}) eight.push_back(v);
  const QImage e = DecodePicture(Picture(pkDib, eight));
  ASSERT_EQ(e.size(), QSize(2, 1));
  EXPECT_EQ(e.pixelColor(0, 0), QColor(0, 255, 0));
  EXPECT_EQ(e.pixelColor(1, 0), QColor(255, 0, 0));

  // 4 bits without a count: sixteen entries.
  Bytes four = InfoHeader(2, 1, 4);
  for (int i = 0; i < 16; ++i)
    for (uint8_t v : {uint8_t(i * 16), uint8_t(0), uint8_t(255 - i * 16), uint8_t(0)}) four.push_back(v);
  for (uint8_t v : {0x0F, 0, 0, 0}) four.push_back(v);
  const QImage f = DecodePicture(Picture(pkDib, four));
  ASSERT_EQ(f.size(), QSize(2, 1));
  EXPECT_EQ(f.pixelColor(0, 0), QColor(255, 0, 0));
  EXPECT_EQ(f.pixelColor(1, 0), QColor(15, 0, 240));

  // The old 12-byte header with three-byte colours.
  Bytes core;
  Put32(core, 12);
  Put16(core, 2);
  Put16(core, 1);
  Put16(core, 1);
  Put16(core, 1);
  for (uint8_t v : {0, 0, 0, 255, 255, 255}) core.push_back(v);
  for (uint8_t v : {0x40, 0, 0, 0}) core.push_back(v);  // black, white
  const QImage c = DecodePicture(Picture(pkDib, core));
  ASSERT_EQ(c.size(), QSize(2, 1));
  EXPECT_EQ(c.pixelColor(0, 0), QColor(0, 0, 0));
  EXPECT_EQ(c.pixelColor(1, 0), QColor(255, 255, 255));

  // 32 bits with colour masks after the header.
  Bytes masked = InfoHeader(1, 1, 32, 3);
  for (uint32_t m : {0x00FF0000u, 0x0000FF00u, 0x000000FFu}) Put32(masked, m);
  Put32(masked, 0x00123456);
  const QImage m = DecodePicture(Picture(pkDib, masked));
  ASSERT_EQ(m.size(), QSize(1, 1));
  EXPECT_EQ(m.pixelColor(0, 0), QColor(0x12, 0x34, 0x56));
}

TEST(PictureDecoding, DeviceDependentBitmaps) {
  struct Case {
    int w, h, bits, widthBytes;
    Bytes data;
    std::vector<QColor> firstRow;
  };
  const QColor black(0, 0, 0), white(255, 255, 255), red(255, 0, 0), blue(0, 0, 255);
  const Case cases[] = {
      // Monochrome, rows a word apart: 1 is white.
      {10, 2, 1, 2, {0xA0, 0x40, 0xFF, 0xFF}, {white, black, white, black, black, black, black, black, black, white}},
      {2, 1, 4, 2, {0x9C, 0x00}, {red, blue}},
      {2, 1, 16, 4, {0x00, 0x7C, 0x1F, 0x00}, {red, blue}},
      {2, 1, 24, 6, {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00}, {red, blue}},
      {2, 1, 32, 8, {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00}, {red, blue}},
  };
  for (const auto& c : cases) {
    TPicture p = Picture(pkBitmap, c.data);
    p.pixelWidth = c.w;
    p.pixelHeight = c.h;
    p.bitsPerPixel = c.bits;
    p.widthBytes = c.widthBytes;
    const QImage img = DecodePicture(p);
    ASSERT_EQ(img.size(), QSize(c.w, c.h)) << c.bits;
    for (int x = 0; x < c.w; ++x) EXPECT_EQ(img.pixelColor(x, 0), c.firstRow[size_t(x)]) << c.bits << " x=" << x;
  }
  // Bitmaps whose sizes do not fit their bytes are not drawn.
  TPicture bad = Picture(pkBitmap, Bytes(6, 0xFF));
  bad.pixelWidth = 2;
  bad.pixelHeight = 1;
  bad.bitsPerPixel = 24;
  bad.widthBytes = 6;
  EXPECT_FALSE(DecodePicture(bad).isNull());
  for (auto change : std::vector<std::function<void(TPicture&)>>{
           [](TPicture& p) { p.pixelHeight = 2; },          // rows missing
           [](TPicture& p) { p.widthBytes = 4; },           // row narrower than its pixels
           [](TPicture& p) { p.bitsPerPixel = 3; },
           [](TPicture& p) { p.pixelWidth = 0; },
           [](TPicture& p) { p.pixelHeight = -1; },
           [](TPicture& p) { p.planes = 3; },
           [](TPicture& p) { p.pixelWidth = 1 << 20, p.pixelHeight = 1 << 20; }}) {
    TPicture p = bad;
    change(p);
    EXPECT_TRUE(DecodePicture(p).isNull());
  }
}

// A metafile with a window of the given extent and one StretchDIBits record
// drawing the DIB into dest.
Bytes MetafileWithBitmap(int windowW, int windowH, int destW, int destH, const Bytes& dib) {
  Bytes rec;
  Put32(rec, 0);  // size, filled below
  Put16(rec, 0x0F43);
  Put32(rec, 0x00CC0020);  // copy
  for (int v : {0, 1, 1, 0, 0, destH, destW, 0, 0}) Put16(rec, v);
  rec.insert(rec.end(), dib.begin(), dib.end());
  if (rec.size() % 2) rec.push_back(0);
  const uint32_t words = uint32_t(rec.size() / 2);
  for (int i = 0; i < 4; ++i) rec[size_t(i)] = uint8_t(words >> (8 * i));

  Bytes wmf;
  for (int v : {1, 9, 0x300}) Put16(wmf, v);
  Put32(wmf, 0);
  Put16(wmf, 0);
  Put32(wmf, words);
  Put16(wmf, 0);
  Put32(wmf, 5);
  Put16(wmf, 0x020C);
  Put16(wmf, windowH);
  Put16(wmf, windowW);
  wmf.insert(wmf.end(), rec.begin(), rec.end());
  Put32(wmf, 3);
  Put16(wmf, 0);
  Bytes stored(22, 0);
  stored.insert(stored.end(), wmf.begin(), wmf.end());
  return stored;
}

TEST(PictureDecoding, MetafilesShowOnlyTheBitmapTheyWrap) {
  const QImage sample = Sample();
  const Bytes bmp = Encode(sample, "BMP");
  const Bytes dib(bmp.begin() + 14, bmp.end());
  ExpectSamePixels(DecodePicture(Picture(pkMetafile, MetafileWithBitmap(300, 200, 300, 200, dib))), sample);
  // A bitmap that is only a part of a drawing is not the picture.
  EXPECT_TRUE(DecodePicture(Picture(pkMetafile, MetafileWithBitmap(300, 200, 30, 20, dib))).isNull());
  // Drawing only, broken records, noise.
  Bytes noBitmap = MetafileWithBitmap(300, 200, 300, 200, {});
  EXPECT_TRUE(DecodePicture(Picture(pkMetafile, noBitmap)).isNull());
  Bytes cut = MetafileWithBitmap(300, 200, 300, 200, dib);
  cut.resize(cut.size() - 30);
  EXPECT_TRUE(DecodePicture(Picture(pkMetafile, cut)).isNull());
  EXPECT_TRUE(DecodePicture(Picture(pkMetafile, Bytes(200, 0x41))).isNull());
  EXPECT_TRUE(DecodePicture(Picture(pkDib, Bytes(200, 0x41))).isNull());
  EXPECT_TRUE(DecodePicture(Picture(pkDib, {})).isNull());
}

TEST(PictureDecoding, LibreOfficePictureShowsItsBitmap) {
  TRTFText doc;
  ASSERT_EQ(ReadRtfDocument(doc, test::ReadFile(QUILL_FIXTURES "/libreoffice/picture.rtf")), 0);
  ASSERT_NE(doc.firstObject, nullptr);
  ASSERT_NE(doc.firstObject->picture, nullptr);
  const QImage original(QUILL_FIXTURES "/libreoffice/sources/dot.png");
  ASSERT_FALSE(original.isNull());
  ExpectSamePixels(DecodePicture(*doc.firstObject->picture), original.convertToFormat(QImage::Format_RGB32), 1);
}

TEST(PictureCache, DecodesOncePerPicture) {
  TPictureCache cache;
  TPicture p = Picture(pkDib, Encode(Sample(), "PNG"));
  const QImage* first = cache.Find(&p);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(cache.Find(&p), first);
  EXPECT_EQ(first->cacheKey(), cache.Find(&p)->cacheKey());
  // New bytes in the same picture are decoded again.
  QImage other(5, 5, QImage::Format_RGB32);
  other.fill(Qt::green);
  p.data = Encode(other, "PNG");
  ASSERT_NE(cache.Find(&p), nullptr);
  EXPECT_EQ(cache.Find(&p)->size(), QSize(5, 5));
  // Bitmaps of one size with other pixels, in the same bytes.
  TPicture bitmap = Picture(pkBitmap, Bytes(4 * 3 * 2000, 0x00));
  bitmap.pixelWidth = 2000;
  bitmap.pixelHeight = 4;
  bitmap.bitsPerPixel = 24;
  bitmap.widthBytes = 6000;
  ASSERT_NE(cache.Find(&bitmap), nullptr);
  EXPECT_EQ(cache.Find(&bitmap)->pixelColor(1500, 2), QColor(0, 0, 0));
  std::fill(bitmap.data.begin(), bitmap.data.end(), 0xFF);
  EXPECT_EQ(cache.Find(&bitmap)->pixelColor(1500, 2), QColor(255, 255, 255));
  cache.Forget(&bitmap);
  // Undecodable pictures are remembered as such.
  TPicture meta = Picture(pkMetafile, Bytes(40, 0));
  EXPECT_EQ(cache.Find(&meta), nullptr);
  EXPECT_EQ(cache.Find(nullptr), nullptr);
  EXPECT_EQ(cache.Size(), 2u);
  cache.Forget(&p);
  EXPECT_EQ(cache.Size(), 1u);
  cache.Clear();
  EXPECT_EQ(cache.Size(), 0u);
}

TEST(PictureDrawing, ScaledIntoTheBoxOrAFramedPlaceholder) {
  QImage red(2, 2, QImage::Format_RGB32);
  red.fill(Qt::red);
  const TPicture png = Picture(pkDib, Encode(red, "PNG"));
  const TPicture metafile = Picture(pkMetafile, Bytes(60, 0));
  const QImage img = test::Paint(120, 60, [&](TPainterCanvas& c) {
    c.DrawPicture(10, 10, 20, 30, &png);
    c.DrawPicture(50, 10, 30, 20, &metafile);
    c.DrawPicture(90, 10, 20, 20, nullptr);
  });
  EXPECT_EQ(test::BoxOf(img, test::IsRed), QRect(10, 10, 20, 30));
  EXPECT_EQ(test::CountOf(img, QRect(10, 10, 20, 30), test::IsRed), 600);
  auto grey = [](QColor c) { return test::Is(c, 128, 128, 128); };
  for (const QRect box : {QRect(50, 10, 30, 20), QRect(90, 10, 20, 20)}) {
    // A one-pixel frame on the box's edge, empty inside.
    EXPECT_EQ(test::CountOf(img, box, grey), 2 * box.width() + 2 * box.height() - 4);
    EXPECT_EQ(test::CountOf(img, box.adjusted(1, 1, -1, -1), grey), 0);
    EXPECT_EQ(test::CountOf(img, box.adjusted(-1, -1, 1, 1), grey), test::CountOf(img, box, grey));
  }
}

}  // namespace
}  // namespace quill
