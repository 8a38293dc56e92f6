#include "storage/engine/xb_expression.h"

#include <cctype>
#include <cstring>
#include <strings.h>

namespace quill::xb {

enum class NodeKind { Literal, Field, Upper, Trim, LTrim, AllTrim, Concat, Deleted, Compare, And, Or, Not, Bool };
enum class CmpOp { Eq, ExactEq, Ne, Lt, Le, Gt, Ge };

struct ExprNode {
  NodeKind kind;
  std::string text;        // literal value
  int fieldOffset = 0;
  int fieldWidth = 0;
  bool boolValue = false;
  CmpOp op = CmpOp::Eq;
  std::vector<std::unique_ptr<ExprNode>> kids;
  bool IsText() const {
    switch (kind) {
      case NodeKind::Literal: case NodeKind::Field: case NodeKind::Upper: case NodeKind::Trim:
      case NodeKind::LTrim: case NodeKind::AllTrim: case NodeKind::Concat:
        return true;
      default:
        return false;
    }
  }
  int Width() const {
    switch (kind) {
      case NodeKind::Literal: return static_cast<int>(text.size());
      case NodeKind::Field: return fieldWidth;
      case NodeKind::Concat: {
        int w = 0;
        for (auto& k : kids) w += k->Width();
        return w;
      }
      case NodeKind::Upper: case NodeKind::Trim: case NodeKind::LTrim: case NodeKind::AllTrim:
        return kids[0]->Width();
      default: return 0;
    }
  }
};

namespace {

class Parser {
 public:
  Parser(std::string_view s, const std::vector<DbfField>& fields) : s_(s), fields_(fields) {}

  std::unique_ptr<ExprNode> ParseAll() {
    auto node = ParseOr();
    Skip();
    if (pos_ != s_.size()) Fail("unexpected text \"" + std::string(s_.substr(pos_)) + "\"");
    return node;
  }
  std::string error;
  bool failed = false;

 private:
  void Fail(const std::string& what) {
    if (!failed) error = what;
    failed = true;
    pos_ = s_.size();
  }
  void Skip() {
    while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
  }
  bool Word(const char* w) {
    Skip();
    std::size_t n = std::strlen(w);
    if (pos_ + n <= s_.size() && ::strncasecmp(s_.data() + pos_, w, n) == 0) {
      pos_ += n;
      return true;
    }
    return false;
  }
  std::unique_ptr<ExprNode> Make(NodeKind k) {
    auto n = std::make_unique<ExprNode>();
    n->kind = k;
    return n;
  }
  std::unique_ptr<ExprNode> Logical(std::unique_ptr<ExprNode> n) {
    if (n && n->IsText()) Fail("a text value stands where a condition is needed");
    return n;
  }
  std::unique_ptr<ExprNode> ParseOr() {
    auto left = ParseAnd();
    while (!failed && Word(".OR.")) {
      auto n = Make(NodeKind::Or);
      n->kids.push_back(Logical(std::move(left)));
      n->kids.push_back(Logical(ParseAnd()));
      left = std::move(n);
    }
    return left;
  }
  std::unique_ptr<ExprNode> ParseAnd() {
    auto left = ParseNot();
    while (!failed && Word(".AND.")) {
      auto n = Make(NodeKind::And);
      n->kids.push_back(Logical(std::move(left)));
      n->kids.push_back(Logical(ParseNot()));
      left = std::move(n);
    }
    return left;
  }
  std::unique_ptr<ExprNode> ParseNot() {
    Skip();
    bool bang = pos_ < s_.size() && s_[pos_] == '!' && !(pos_ + 1 < s_.size() && s_[pos_ + 1] == '=');
    if (Word(".NOT.") || (bang && (++pos_, true))) {
      auto n = Make(NodeKind::Not);
      n->kids.push_back(Logical(ParseNot()));
      return n;
    }
    return ParseCompare();
  }
  std::unique_ptr<ExprNode> ParseCompare() {
    auto left = ParseSum();
    if (failed) return left;
    Skip();
    struct OpText { const char* t; CmpOp op; };
    static const OpText ops[] = {{"==", CmpOp::ExactEq}, {"<>", CmpOp::Ne}, {"!=", CmpOp::Ne},
                                 {"<=", CmpOp::Le},      {">=", CmpOp::Ge}, {"#", CmpOp::Ne},
                                 {"=", CmpOp::Eq},       {"<", CmpOp::Lt},  {">", CmpOp::Gt}};
    for (const auto& o : ops) {
      std::size_t n = std::strlen(o.t);
      if (s_.compare(pos_, n, o.t) == 0) {
        pos_ += n;
        auto right = ParseSum();
        if (failed) return left;
        if (!left->IsText() || !right->IsText()) {
          Fail("only text values can be compared");
          return left;
        }
        auto c = Make(NodeKind::Compare);
        c->op = o.op;
        c->kids.push_back(std::move(left));
        c->kids.push_back(std::move(right));
        return c;
      }
    }
    return left;
  }
  std::unique_ptr<ExprNode> ParseSum() {
    auto left = ParsePrimary();
    Skip();
    while (!failed && pos_ < s_.size() && s_[pos_] == '+') {
      ++pos_;
      auto right = ParsePrimary();
      if (failed) break;
      if (!left->IsText() || !right->IsText()) {
        Fail("only text values can be joined with +");
        break;
      }
      auto n = Make(NodeKind::Concat);
      n->kids.push_back(std::move(left));
      n->kids.push_back(std::move(right));
      left = std::move(n);
      Skip();
    }
    return left;
  }
  std::unique_ptr<ExprNode> TextArg() {
    Skip();
    if (pos_ >= s_.size() || s_[pos_] != '(') {
      Fail("( expected");
      return nullptr;
    }
    ++pos_;
    auto arg = ParseSum();
    Skip();
    if (pos_ >= s_.size() || s_[pos_] != ')') {
      Fail(") expected");
      return arg;
    }
    ++pos_;
    if (arg && !arg->IsText()) Fail("a text value is needed");
    return arg;
  }
  std::unique_ptr<ExprNode> ParsePrimary() {
    Skip();
    if (failed) return nullptr;
    if (pos_ >= s_.size()) {
      Fail("the expression ends too early");
      return nullptr;
    }
    char c = s_[pos_];
    if (c == '"' || c == '\'' || c == '[') {
      char close = c == '[' ? ']' : c;
      std::size_t end = s_.find(close, pos_ + 1);
      if (end == std::string_view::npos) {
        Fail("a text literal is not closed");
        return nullptr;
      }
      auto n = Make(NodeKind::Literal);
      n->text = std::string(s_.substr(pos_ + 1, end - pos_ - 1));
      pos_ = end + 1;
      return n;
    }
    if (c == '(') {
      ++pos_;
      auto inner = ParseOr();
      Skip();
      if (pos_ >= s_.size() || s_[pos_] != ')') Fail(") expected");
      else ++pos_;
      return inner;
    }
    if (Word(".T.")) {
      auto n = Make(NodeKind::Bool);
      n->boolValue = true;
      return n;
    }
    if (Word(".F.")) return Make(NodeKind::Bool);
    if (!(std::isalpha(static_cast<unsigned char>(c)) || c == '_')) {
      Fail(std::string("unexpected character '") + c + "'");
      return nullptr;
    }
    std::size_t start = pos_;
    while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_')) ++pos_;
    std::string name(s_.substr(start, pos_ - start));
    // An alias prefix ("table->field") is not supported; a bare name is a
    // field unless a parenthesis makes it a function.
    Skip();
    if (pos_ < s_.size() && s_[pos_] == '(') {
      auto fn = [&](const char* f) { return ::strcasecmp(name.c_str(), f) == 0; };
      NodeKind kind;
      if (fn("UPPER")) kind = NodeKind::Upper;
      else if (fn("TRIM") || fn("RTRIM")) kind = NodeKind::Trim;
      else if (fn("LTRIM")) kind = NodeKind::LTrim;
      else if (fn("ALLTRIM")) kind = NodeKind::AllTrim;
      else if (fn("DTOS")) kind = NodeKind::Concat;   // a D field is stored as yyyymmdd
      else if (fn("DELETED")) {
        ++pos_;
        Skip();
        if (pos_ >= s_.size() || s_[pos_] != ')') Fail(") expected");
        else ++pos_;
        return Make(NodeKind::Deleted);
      } else {
        Fail("function " + name + "() is not supported");
        return nullptr;
      }
      auto n = Make(kind);
      n->kids.push_back(TextArg());
      if (failed) return nullptr;
      return n;
    }
    for (const auto& f : fields_) {
      if (::strcasecmp(f.name.c_str(), name.c_str()) == 0) {
        if (f.type != 'C' && f.type != 'D') {
          Fail("field " + f.name + " of type " + std::string(1, f.type) + " cannot be used in an expression");
          return nullptr;
        }
        auto n = Make(NodeKind::Field);
        n->fieldOffset = f.offset;
        n->fieldWidth = f.width;
        return n;
      }
    }
    Fail("unknown field " + name);
    return nullptr;
  }

  std::string_view s_;
  const std::vector<DbfField>& fields_;
  std::size_t pos_ = 0;
};

std::string Eval(const ExprNode& n, const char* rec) {
  switch (n.kind) {
    case NodeKind::Literal: return n.text;
    case NodeKind::Field: return std::string(rec + n.fieldOffset, n.fieldWidth);
    case NodeKind::Upper: {
      std::string s = Eval(*n.kids[0], rec);
      for (auto& c : s) if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      return s;
    }
    case NodeKind::Trim: {
      std::string s = Eval(*n.kids[0], rec);
      while (!s.empty() && s.back() == ' ') s.pop_back();
      return s;
    }
    case NodeKind::LTrim: {
      std::string s = Eval(*n.kids[0], rec);
      std::size_t i = 0;
      while (i < s.size() && s[i] == ' ') ++i;
      return s.substr(i);
    }
    case NodeKind::AllTrim: {
      std::string s = Eval(*n.kids[0], rec);
      while (!s.empty() && s.back() == ' ') s.pop_back();
      std::size_t i = 0;
      while (i < s.size() && s[i] == ' ') ++i;
      return s.substr(i);
    }
    case NodeKind::Concat: {
      std::string s;
      for (auto& k : n.kids) s += Eval(*k, rec);
      return s;
    }
    default: return {};
  }
}

int ComparePadded(const std::string& a, const std::string& b) {
  std::size_t n = std::max(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : ' ';
    unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : ' ';
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

bool Test(const ExprNode& n, const char* rec, bool exact) {
  switch (n.kind) {
    case NodeKind::Bool: return n.boolValue;
    case NodeKind::Deleted: return rec[0] == '*';
    case NodeKind::Not: return !Test(*n.kids[0], rec, exact);
    case NodeKind::And: return Test(*n.kids[0], rec, exact) && Test(*n.kids[1], rec, exact);
    case NodeKind::Or: return Test(*n.kids[0], rec, exact) || Test(*n.kids[1], rec, exact);
    case NodeKind::Compare: {
      std::string a = Eval(*n.kids[0], rec);
      std::string b = Eval(*n.kids[1], rec);
      auto loose = [&] {
        // Without EXACT, "=" looks only at as many characters as the right side has.
        if (exact) return ComparePadded(a, b) == 0;
        if (b.size() > a.size()) return ComparePadded(a, b) == 0;
        return a.compare(0, b.size(), b) == 0;
      };
      switch (n.op) {
        case CmpOp::Eq: return loose();
        case CmpOp::Ne: return !loose();
        case CmpOp::ExactEq: return ComparePadded(a, b) == 0;
        case CmpOp::Lt: return ComparePadded(a, b) < 0;
        case CmpOp::Le: return ComparePadded(a, b) <= 0;
        case CmpOp::Gt: return ComparePadded(a, b) > 0;
        case CmpOp::Ge: return ComparePadded(a, b) >= 0;
      }
      return false;
    }
    default: return false;
  }
}

}  // namespace

Expression::Expression() = default;
Expression::~Expression() = default;
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;

bool Expression::Parse(std::string_view text, const std::vector<DbfField>& fields, std::string& error) {
  root_.reset();
  std::size_t a = 0, b = text.size();
  while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) --b;
  if (a == b) return true;
  Parser p(text.substr(a, b - a), fields);
  auto node = p.ParseAll();
  if (p.failed || !node) {
    error = p.failed ? p.error : "empty expression";
    return false;
  }
  root_ = std::move(node);
  return true;
}

bool Expression::IsText() const { return root_ && root_->IsText(); }
bool Expression::IsLogical() const { return root_ && !root_->IsText(); }
int Expression::TextWidth() const { return root_ ? root_->Width() : 0; }

std::string Expression::EvalText(const char* rec) const {
  if (!root_) return {};
  std::string s = Eval(*root_, rec);
  int w = root_->Width();
  if (static_cast<int>(s.size()) < w) s.append(w - s.size(), ' ');
  return s;
}

bool Expression::EvalLogical(const char* rec, bool exact) const {
  return root_ ? Test(*root_, rec, exact) : true;
}

}  // namespace quill::xb
