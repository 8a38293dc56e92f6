#include "richtext/io/plain_text.h"

#include <algorithm>
#include <cstring>

namespace quill {

TTextReader::TTextReader(TTextHeader* header, TRTFText* document) : header_(header), doc_(document) {}

TTextReader::~TTextReader() = default;

bool TTextReader::Refill() {
  if (contiguous_ || !input_) return false;
  size_t k = input_->Read(buffer_, sizeof buffer_);
  if (k == 0) return false;
  consumed_ += int64_t(k);
  cur_ = buffer_;
  end_ = buffer_ + k;
  if (onProgress && total_ > 0) {
    int pct = int(consumed_ * 100 / total_);
    if (pct != lastPercent_) {
      lastPercent_ = pct;
      onProgress(pct);
    }
  }
  return true;
}

int TTextReader::Read(TTextInput& input, TParagraph** firstParagraph) {
  if (!header_ || !doc_) throw TRichTextError(kErrReaderArgs);
  input_ = &input;
  total_ = input.Size();
  const uint8_t* data = nullptr;
  size_t size = 0;
  contiguous_ = input.Contiguous(&data, &size);
  if (contiguous_) {
    cur_ = data;
    end_ = data + size;
  } else {
    cur_ = end_ = buffer_;
  }
  attr_ = doc_->defaultAttr;
  if (attr_.size == 0) attr_.size = 10;
  if (startParagraph_) {
    firstPar_ = curPar_ = startParagraph_;
  } else {
    // A separate chain: the document counts its tab stops as used.
    firstPar_ = doc_->NewParagraph(nullptr, 60);
    if (firstPar_ != doc_->firstParagraph) doc_->pendingChain = firstPar_;
    curPar_ = firstPar_;
  }
  curLine_ = doc_->Get_LastLine(curPar_);
  if (firstParagraph) *firstParagraph = firstPar_;
  // A separate chain belongs to the caller once reading ends.
  auto release = [this] {
    if (!startParagraph_ && doc_->pendingChain == firstPar_) doc_->pendingChain = nullptr;
  };
  try {
    ReadBody();
  } catch (...) {
    failed_ = true;
    try {
      PostProcess();
    } catch (...) {
      release();
      throw;
    }
    release();
    throw;
  }
  PostProcess();
  release();
  if (onProgress && contiguous_) onProgress(100);
  return 0;
}

void TTextReader::AppendRun(const uint8_t* bytes, int n) {
  while (n > 0) {
    TLine* l = curLine_;
    if (l->capacity - l->length < 4) l = curLine_ = doc_->NewLine(l, 60);
    const int k = std::min(n, l->capacity - l->length - 3);
    std::memcpy(l->text + l->length, bytes, size_t(k));
    if (TCharAttr* a = l->attribs) {
      a += l->length;
      for (int i = 0; i < k; ++i) a[i] = attr_;
    }
    l->length = uint16_t(l->length + k);
    l->text[l->length] = 0;
    lastLine_ = l;
    lastIndex_ = l->length - 1;
    bytes += k;
    n -= k;
  }
}

TParagraph* TTextReader::EndParagraph() {
  ShrinkLines(doc_, curPar_);
  TParagraph* p = doc_->NewParagraph(curPar_, 60);
  curPar_ = p;
  curLine_ = p->firstLine;
  return p;
}

void TTextReader::ShrinkLines(TRTFText* doc, TParagraph* p) {
  for (TLine* l = p->firstLine; l; l = l->next)
    if (l->capacity > l->length + 2) doc->ResizeLine(l, l->length + 2);
}

void TTextReader::ReadBody() {
  // Plain text: CR LF, LF or CR end a paragraph; tabs stay; other control
  // bytes have no meaning in the document and are dropped.
  for (;;) {
    int c = NextByte();
    if (c < 0) break;
    if (c >= 32 || c == 9) {
      AppendToLine(uint8_t(c));
    } else if (c == 13) {
      int n = NextByte();
      if (n >= 0 && n != 10) Unget();
      EndParagraph();
    } else if (c == 10) {
      EndParagraph();
    }
  }
}

void TTextReader::PostProcess() {
  for (TParagraph* p = firstPar_; p; p = p->next) p->MarkForLayout();
  if (curPar_) ShrinkLines(doc_, curPar_);
}

int WritePlainText(const TRTFText& doc, std::ostream& out) {
  std::string s = PlainTextOf(doc);
  out.write(s.data(), std::streamsize(s.size()));
  return out ? 0 : 7;
}

std::string PlainTextOf(const TRTFText& doc) {
  std::string s;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    for (const TLine* l = p->firstLine; l; l = l->next)
      for (int i = 0; i < l->length; ++i) {
        uint8_t c = l->text[i];
        if (c > 3) {
          s += char(c);
        }
      }
    if (p->next) s += "\r\n";
  }
  return s;
}

}  // namespace quill
