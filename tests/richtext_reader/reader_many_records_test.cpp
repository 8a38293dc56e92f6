// Pages with very many footnotes and objects: every record gets an id of its
// own, also once the 16-bit ids run out.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "reader_helpers.h"

namespace quill {
namespace {

using test::Loaded;

// The attributes of a paragraph's characters, in order.
std::vector<TCharAttr> Attributes(const TParagraph* p) {
  std::vector<TCharAttr> v;
  for (const TLine* l = p->firstLine; l; l = l->next) v.insert(v.end(), l->attribs, l->attribs + l->length);
  return v;
}

TEST(ManyRecords, SeventyThousandFootnotesKeepUniqueIdsAndTheirText) {
  const int notes = 70000;
  std::string rtf = "{\\rtf1 ";
  rtf.reserve(size_t(notes) * 16 + 32);
  for (int i = 0; i < notes; ++i) rtf += "x{\\footnote n}";
  rtf += " end}";
  Loaded r(rtf);
  ASSERT_EQ(r.result, 0);
  EXPECT_EQ(r.Text(), std::string(size_t(notes), 'x') + " end");

  // 65535 footnotes can be named; each anchor names its own, the others
  // stay plain characters.
  std::map<uint16_t, const TFootnote*> byId;
  int count = 0;
  for (const TFootnote* f = r.doc.firstFootnote; f; f = f->next, ++count) {
    EXPECT_NE(f->id, 0);
    EXPECT_TRUE(byId.emplace(f->id, f).second) << "id " << f->id << " twice";
    EXPECT_EQ(f->text, "n");
  }
  EXPECT_EQ(count, 65535);
  const std::vector<TCharAttr> attrs = Attributes(r.Par(0));
  for (int i = 0; i < notes; ++i) {
    const TCharAttr& a = attrs[size_t(i)];
    if (i >= 65535) {
      EXPECT_FALSE(a.marks & cmFootnote) << "anchor " << i;
      continue;
    }
    ASSERT_TRUE(a.marks & cmFootnote) << "anchor " << i;
    EXPECT_EQ(uint16_t(a.extra), uint16_t(i + 1));
    ASSERT_TRUE(byId.count(uint16_t(a.extra))) << "anchor " << i;
  }
}

TEST(ManyRecords, FreedIdsAreTakenAgainOnceTheIdsRunOut) {
  TRTFText doc;
  for (int i = 0; i < 65535; ++i) ASSERT_NE(doc.AddFootnote('*', 0, ""), nullptr);
  // Delete two footnotes from the middle of the chain and its last one.
  for (uint16_t gone : {uint16_t(70), uint16_t(30000), uint16_t(65535)}) {
    TFootnote* f = doc.FindFootnote(gone);
    ASSERT_NE(f, nullptr);
    doc.DeleteFootnote(f);
  }
  const TFootnote* a = doc.AddFootnote('a', 0, "");
  const TFootnote* b = doc.AddFootnote('b', 0, "");
  const TFootnote* c = doc.AddFootnote('c', 0, "");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(a->id, 70);
  EXPECT_EQ(b->id, 30000);
  EXPECT_EQ(c->id, 65535);
  EXPECT_EQ(doc.AddFootnote('d', 0, ""), nullptr);
  // The chain stays linked, in the order of adding.
  int count = 0;
  const TFootnote* last = nullptr;
  for (const TFootnote* f = doc.firstFootnote; f; f = f->next, ++count) {
    EXPECT_EQ(f->prev, last);
    last = f;
  }
  EXPECT_EQ(count, 65535);
  EXPECT_EQ(last, c);
  // A cleared document starts at 1 again.
  doc.ClearDocument();
  EXPECT_EQ(doc.AddFootnote('d', 0, "")->id, 1);
  EXPECT_EQ(doc.AddFootnote('e', 0, "")->id, 2);
}

TEST(ManyRecords, DeletingTheLastRecordKeepsTheChainsLinked) {
  TRTFText doc;
  TFootnote* a = doc.AddFootnote('a', 0, "");
  doc.DeleteFootnote(doc.AddFootnote('b', 0, ""));
  const TFootnote* c = doc.AddFootnote('c', 0, "");
  EXPECT_EQ(a->next, c);
  EXPECT_EQ(c->prev, a);
  EXPECT_EQ(c->id, 3);  // ids are not handed out twice while there are others
  doc.DeleteFootnote(a);
  EXPECT_EQ(doc.firstFootnote, c);
  EXPECT_EQ(c->prev, nullptr);

  TTextObject* x = doc.AddObject(nullptr, -1);
  doc.DeleteObject(doc.AddObject(nullptr, -1));
  const TTextObject* z = doc.AddObject(nullptr, -1);
  EXPECT_EQ(x->next, z);
  EXPECT_EQ(z->key, 2002);
  doc.DeleteObject(x);
  doc.DeleteObject(const_cast<TTextObject*>(z));
  EXPECT_EQ(doc.firstObject, nullptr);
  EXPECT_EQ(doc.AddObject(nullptr, -1)->key, 2000);
}

TEST(ManyRecords, ObjectKeysAndIds) {
  TRTFText doc;
  // New keys from 2000; a key read from a file counts.
  EXPECT_EQ(doc.AddObject(nullptr, -1)->key, 2000);
  EXPECT_EQ(doc.AddObject(nullptr, 5000)->key, 5000);
  EXPECT_EQ(doc.AddObject(nullptr, -1)->key, 5001);
  // Past the highest key the lowest free one from 2000, then from 1.
  EXPECT_EQ(doc.AddObject(nullptr, 65535)->key, 65535);
  EXPECT_EQ(doc.AddObject(nullptr, -1)->key, 2001);
  std::set<uint16_t> keys, ids;
  int count = 0;
  while (TTextObject* o = doc.AddObject(nullptr, -1)) {
    (void)o;
    ASSERT_LT(++count, 70000);
  }
  for (const TTextObject* o = doc.firstObject; o; o = o->next) {
    EXPECT_TRUE(keys.insert(o->key).second) << "key " << o->key << " twice";
    EXPECT_TRUE(ids.insert(o->id).second) << "id " << o->id << " twice";
    EXPECT_NE(o->id, 0);
  }
  EXPECT_EQ(ids.size(), 65535u);
  EXPECT_EQ(*ids.rbegin(), 65535);
}

TEST(ManyRecords, SeventyThousandPicturesKeepTheTextAfterThem) {
  std::string rtf = "{\\rtf1 ";
  for (int i = 0; i < 70000; ++i) rtf += "{\\pict\\wmetafile8 00}";
  rtf += "end}";
  Loaded r(rtf);
  ASSERT_EQ(r.result, 0);
  EXPECT_EQ(r.Text(), std::string(65535, '\x01') + "end");
  std::set<uint16_t> keys;
  for (const TTextObject* o = r.doc.firstObject; o; o = o->next) EXPECT_TRUE(keys.insert(o->key).second);
  EXPECT_EQ(keys.size(), 65535u);
  std::set<uint16_t> named;
  for (const TCharAttr& a : Attributes(r.Par(0))) {
    if (!(a.marks & cmObject)) continue;
    EXPECT_TRUE(keys.count(uint16_t(a.extra)));
    EXPECT_TRUE(named.insert(uint16_t(a.extra)).second);
  }
  EXPECT_EQ(named.size(), 65535u);
}

}  // namespace
}  // namespace quill
