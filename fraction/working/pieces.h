// The pieces every fraction working is made of: numbers and fractions as
// document spans, the lines of a working, and the readings of an entry text
// as typed.
#pragma once

#include "document/document.h"
#include "fraction/exact.h"
#include "fraction/fraction.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qx::fraction::working {

using exact::Wide;

// ---- Spans ---------------------------------------------------------------

// The decimal digits of a value, with "-" when negative.
std::string digits(const Wide &value);
doc::Span number(const Wide &value);
// n/d stacked; a negative value over a positive denominator carries its "-"
// before the bar, so the plain text reads as format_fraction writes it.
doc::Span fraction_span(const Wide &numerator, const Wide &denominator);
// The same in parentheses when negative, for a term after an operator.
doc::Span term_span(const Wide &numerator, const Wide &denominator);
// A fraction exactly as its result box writes it.
doc::Span box_fraction(Fraction f, bool reduce = true);
// A mixed number as format_mixed writes it ("-2&1/3").
std::string mixed_text(MixedNumber m);
// A mixed number from magnitudes, with "-" when negative.
std::string mixed_text(bool negative, const Wide &whole, const Wide &numerator,
                       const Wide &denominator);

// ---- The document --------------------------------------------------------

// A line under construction: text, numbers and spans appended in order.
class Line {
public:
  Line &operator<<(std::string_view utf8);
  Line &operator<<(const doc::Span &span);
  Line &operator<<(doc::Node node);
  Line &operator<<(const Wide &value);
  Line &operator<<(std::int32_t value) { return *this << Wide{value}; }
  doc::Span take() { return std::move(m_span); }

private:
  doc::Span m_span;
};

class Working {
public:
  void heading(std::string_view utf8);
  void body(Line line);
  void formula(Line line);
  void note(Line line);
  // A formula line "= value", left out when the line before already ends in
  // that value.
  void equals(const doc::Span &value);
  void equals(Line line) { equals(line.take()); }
  // A formula line that starts a chain of "=" lines with `value`.
  void then(const doc::Span &value);
  void then(Line line) { then(line.take()); }
  // A formula line "start = value" that the next "=" lines continue.
  void then(Line start, const doc::Span &value);
  // `value` after the lines before: "= value" when the last formula line
  // ends in another value, nothing when in this one, else as then().
  void restate(const doc::Span &value);
  // The document with the link back to the guide appended.
  doc::Document finish();

private:
  doc::Document m_document;
  // The plain text of the value the last formula line ends in, when it is
  // one equals() or then() wrote.
  std::string m_last_value;
};

// ---- Arithmetic ----------------------------------------------------------

Wide gcd_of(const Wide &a, const Wide &b);
struct Quotient {
  Wide quotient;  // of the magnitudes
  Wide remainder; // of the magnitudes
};
Quotient divide_magnitudes(const Wide &numerator, const Wide &denominator);

// ---- Entries as typed ------------------------------------------------------

// The entry without blanks when every byte is printable ASCII, so that it
// can stand in the working as typed; nothing otherwise.
std::optional<std::string> echo_of(const char *entry);

// A mixed number as typed, sign rules applied but not reduced: value =
// ±(whole + numerator / denominator), all three magnitudes.
struct TypedMixed {
  bool negative = false;
  Wide whole;
  Wide numerator;
  Wide denominator;
};
// Nothing when the entry is no mixed number parse_mixed accepts.
std::optional<TypedMixed> typed_mixed(const char *entry);

// "按带分数的符号规则，2&1/-3 读作 -2&1/3。" when the entry as typed is
// written otherwise than `typed`.
void sign_rule_note(Working &working, const char *entry,
                    const TypedMixed &typed);

// A fraction with a wide numerator and a positive denominator.
struct Value {
  Wide numerator;
  Wide denominator;
};
// Lowest terms with a positive denominator; 0 is 0/1. The denominator is
// not 0.
Value lowest_terms(const Wide &numerator, const Wide &denominator);
doc::Span span_of(const Value &v);
// A numerator or factor inside a longer expression, in parentheses when
// negative.
std::string factor(const Wide &value);

// The lines "W&N/D = (W × D + N)/D = X/D" and the reduction; returns the
// improper fraction in lowest terms, which may lie beyond the field range.
Value improper_steps(Working &working, const TypedMixed &typed);

// "输入 … 读作 …" for an operand read through text_to_fraction, when the
// typed form differs from the value; `which` names the operand ("第一个数").
void operand_note(Working &working, std::string_view which, const char *entry,
                  Fraction value);

// The reduction of n/d (d not 0) to lowest terms with the divisor named, as
// "= n'/d'" lines after the line that shows n/d.
void reduction_steps(Working &working, Wide numerator, Wide denominator);

// Why an entry that is no mixed number has no working.
inline constexpr std::string_view kUnusableMixed =
    "输入不是有效的带分数（应写成“整数&分子/分母”，分母不为 0，数不超出 "
    "±2147483647）";

// Why the operand `bad` (invalid) cannot take part, without the verb: "第一个数
// 3/0 的分母为 0，分数没有意义" or, for 0/0, that it may also have come from
// a number beyond the field range.
std::string invalid_operand(std::string_view which, Fraction bad);

// One sentence why the box shows `shown`, and the document.
doc::Document invalid_working(std::string_view heading, std::string_view why,
                              std::string_view shown);
// The same with the whole sentence given.
doc::Document sentence_working(std::string_view heading,
                               std::string_view sentence);

} // namespace qx::fraction::working
