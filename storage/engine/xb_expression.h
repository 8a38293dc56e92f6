// The small xBase expression language the engine understands, for index
// keys ("date", UPPER(name), last+first, DTOS(day)) and for filters and FOR
// conditions (FIELD = "text", .AND., .OR., .NOT., DELETED(), comparisons).
// Anything else is refused with a clear message instead of being guessed.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/engine/dbf_file.h"

namespace quill::xb {

struct ExprNode;

class Expression {
 public:
  Expression();
  ~Expression();
  Expression(Expression&&) noexcept;
  Expression& operator=(Expression&&) noexcept;

  // Parses text against the table's fields; on failure returns false and
  // sets error to a message naming what is not understood.
  bool Parse(std::string_view text, const std::vector<DbfField>& fields, std::string& error);
  bool Empty() const { return !root_; }
  bool IsText() const;        // yields text (usable as a character key)
  bool IsLogical() const;     // yields true/false (usable as a condition)
  int TextWidth() const;      // nominal width of a text result

  // rec: a record buffer, deletion flag first. exact: SET EXACT state.
  std::string EvalText(const char* rec) const;
  bool EvalLogical(const char* rec, bool exact) const;

 private:
  std::unique_ptr<ExprNode> root_;
};

}  // namespace quill::xb
