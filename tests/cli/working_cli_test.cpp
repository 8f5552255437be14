// The working in the hypertext view, end to end: textbook exercises of
// every page typed into the real quadrix-cli binary, which runs the real
// program and prints the view's plain text. A few workings are checked in
// full, the rest by the lines that carry their steps and result; then the
// ways back to the guide, and clicks that end in a message box.
#include "tests/cli/run_cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>
#include <vector>

namespace {

using qx::test::Result;
using qx::test::runCli;

constexpr const char *kPrintView = "print 超文本浏览框1\n";
constexpr const char *kReturnLink = "返回使用指南";

std::vector<std::string> linesOf(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

// What a script types for one exercise, ending with the click.
std::string quadratic(const char *a, const char *b, const char *c) {
  return std::string("page 一元二次方程\ntype 二次项系数 ") + a +
         "\ntype 一次项系数 " + b + "\ntype 常数项 " + c + "\nclick 求根\n";
}

std::string linear(const char *a, const char *b) {
  return std::string("page 一元一次方程\ntype 编辑框1 ") + a +
         "\ntype 编辑框2 " + b + "\nclick 求解\n";
}

std::string system(const char *a1, const char *b1, const char *c1,
                   const char *a2, const char *b2, const char *c2) {
  return std::string("page 二元一次方程组\ntype xya1 ") + a1 + "\ntype xyb1 " +
         b1 + "\ntype xyc1 " + c1 + "\ntype xya2 " + a2 + "\ntype xyb2 " + b2 +
         "\ntype xyc2 " + c2 + "\nclick 求方程组\n";
}

// The stacked calculator: numerator, denominator, operator, numerator,
// denominator.
std::string stacked(const char *n1, const char *d1, const char *op,
                    const char *n2, const char *d2) {
  return std::string("page 分数运算1\ntype 分子1 ") + n1 + "\ntype 分母1 " +
         d1 + "\nchoose 组合框1 " + op + "\ntype 分子2 " + n2 +
         "\ntype 分母2 " + d2 + "\nclick 计算\n";
}

std::string textCalculator(const char *first, const char *op,
                           const char *second) {
  return std::string("page 分数运算1\ntype 编辑框4 ") + first +
         "\nchoose 组合框2 " + op + "\ntype 编辑框5 " + second +
         "\nclick 计算2\n";
}

// One box of a fraction page and its button.
std::string oneBox(const char *page, const char *box, const char *text,
                   const char *button) {
  return std::string("page ") + page + "\ntype " + box + " " + text +
         "\nclick " + button + "\n";
}

template <typename Case>
std::string caseName(const ::testing::TestParamInfo<Case> &info) {
  std::string name;
  for (const char *p = info.param.name; *p; ++p)
    name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
}

// ---- Whole workings -------------------------------------------------------

struct Full {
  const char *name;
  std::string script;
  const char *working;
};

const Full kFull[] = {
    {"quadratic with rational roots", quadratic("2", "-3", "1"),
     "解一元二次方程\n"
     "2x² − 3x + 1 = 0\n"
     "a = 2，b = −3，c = 1\n"
     "计算判别式\n"
     "Δ = b² − 4ac = (−3)² − 4 × 2 × 1 = 1\n"
     "因为 Δ = 1 > 0，所以方程有两个不相等的实数根。\n"
     "求根\n"
     "由求根公式 x = (−b ± √(b² − 4ac))/2a，得\n"
     "x = (3 ± √1)/(2 × 2) = (3 ± 1)/4\n"
     "x₁ = (3 + 1)/4 = 1\n"
     "x₂ = (3 − 1)/4 = 1/2 = 0.5\n"
     "所以原方程可以写成\n"
     "2(x − 1)(x − 1/2) = 0\n"
     "检验\n"
     "用根与系数的关系检验：\n"
     "x₁ + x₂ = 3/2，−b/a = 3/2\n"
     "x₁x₂ = 1/2，c/a = 1/2\n"
     "两根之和等于 −b/a，两根之积等于 c/a，与根与系数的关系相符。\n"
     "返回使用指南\n"},
    {"quadratic with irrational roots", quadratic("1", "-3", "1"),
     "解一元二次方程\n"
     "x² − 3x + 1 = 0\n"
     "a = 1，b = −3，c = 1\n"
     "计算判别式\n"
     "Δ = b² − 4ac = (−3)² − 4 × 1 × 1 = 5\n"
     "因为 Δ = 5 > 0，所以方程有两个不相等的实数根。\n"
     "求根\n"
     "由求根公式 x = (−b ± √(b² − 4ac))/2a，得\n"
     "x = (3 ± √5)/(2 × 1) = (3 ± √5)/2\n"
     "x₁ = (3 + √5)/2 ≈ 2.61803398874989\n"
     "x₂ = (3 − √5)/2 ≈ 0.381966011250105\n"
     "检验\n"
     "用根与系数的关系检验：\n"
     "x₁ + x₂ = 3，−b/a = 3\n"
     "x₁x₂ = 1，c/a = 1\n"
     "两根之和等于 −b/a，两根之积等于 c/a，与根与系数的关系相符。\n"
     "返回使用指南\n"},
    {"double root", quadratic("1", "4", "4"),
     "解一元二次方程\n"
     "x² + 4x + 4 = 0\n"
     "a = 1，b = 4，c = 4\n"
     "计算判别式\n"
     "Δ = b² − 4ac = 4² − 4 × 1 × 4 = 0\n"
     "因为 Δ = 0，所以方程有两个相等的实数根。\n"
     "求根\n"
     "由求根公式，得\n"
     "x₁ = x₂ = −b/2a = −4/(2 × 1) = -2\n"
     "所以原方程可以写成\n"
     "(x + 2)² = 0\n"
     "检验\n"
     "用根与系数的关系检验：\n"
     "x₁ + x₂ = −4，−b/a = −4\n"
     "x₁x₂ = 4，c/a = 4\n"
     "两根之和等于 −b/a，两根之积等于 c/a，与根与系数的关系相符。\n"
     "返回使用指南\n"},
    {"no real roots", quadratic("1", "2", "5"),
     "解一元二次方程\n"
     "x² + 2x + 5 = 0\n"
     "a = 1，b = 2，c = 5\n"
     "计算判别式\n"
     "Δ = b² − 4ac = 2² − 4 × 1 × 5 = −16\n"
     "因为 Δ = −16 < 0，所以方程没有实数根。\n"
     "在复数范围内，由求根公式 x = (−b ± √(b² − 4ac))/2a，得\n"
     "x = (−2 ± √−16)/(2 × 1) = (−2 ± 4i)/2 = −1 ± 2i\n"
     "即 x₁ = −1 + 2i，x₂ = −1 − 2i，这两个根不是实数。\n"
     "返回使用指南\n"},
    {"system with one solution", system("2", "3", "8", "1", "-1", "-1"),
     "解二元一次方程组\n"
     "2x + 3y = 8\n"
     "x − y = −1\n"
     "计算行列式\n"
     "D = a₁b₂ − a₂b₁ = 2 × (−1) − 1 × 3 = −5\n"
     "D_x = c₁b₂ − b₁c₂ = 8 × (−1) − 3 × (−1) = −5\n"
     "D_y = a₁c₂ − a₂c₁ = 2 × (−1) − 1 × 8 = −10\n"
     "因为 D = −5 ≠ 0，所以方程组有唯一的解：\n"
     "x = D_x/D = −5/−5 = 1\n"
     "y = D_y/D = −10/−5 = 2\n"
     "检验\n"
     "把 x = 1，y = 2 代入方程组：\n"
     "第一个方程：左边 = 2 × 1 + 3 × 2 = 8，右边 = 8\n"
     "第二个方程：左边 = 1 − 2 = −1，右边 = −1\n"
     "两个方程的左边都等于右边，所以这组值是原方程组的解。\n"
     "返回使用指南\n"},
    {"system with infinitely many solutions",
     system("2", "3", "8", "4", "6", "16"),
     "解二元一次方程组\n"
     "2x + 3y = 8\n"
     "4x + 6y = 16\n"
     "计算行列式\n"
     "D = a₁b₂ − a₂b₁ = 2 × 6 − 4 × 3 = 0\n"
     "D_x = c₁b₂ − b₁c₂ = 8 × 6 − 3 × 16 = 0\n"
     "D_y = a₁c₂ − a₂c₁ = 2 × 16 − 4 × 8 = 0\n"
     "因为 D = 0，两个方程左边的系数成比例：第二个方程中 x、y "
     "的系数是第一个方程的 2 倍。\n"
     "第二个方程的右边是 16，第一个方程右边的 2 倍是 "
     "16，右边也成同一比例，两个方程是同一个方程，所以方程组有无数解。\n"
     "返回使用指南\n"},
    {"system with no solution", system("2", "3", "8", "4", "6", "15"),
     "解二元一次方程组\n"
     "2x + 3y = 8\n"
     "4x + 6y = 15\n"
     "计算行列式\n"
     "D = a₁b₂ − a₂b₁ = 2 × 6 − 4 × 3 = 0\n"
     "D_x = c₁b₂ − b₁c₂ = 8 × 6 − 3 × 15 = 3\n"
     "D_y = a₁c₂ − a₂c₁ = 2 × 15 − 4 × 8 = −2\n"
     "因为 D = 0，两个方程左边的系数成比例：第二个方程中 x、y "
     "的系数是第一个方程的 2 倍。\n"
     "第二个方程的右边是 15，第一个方程右边的 2 倍是 "
     "16，右边不成同一比例，两个方程互相矛盾，所以方程组无解。\n"
     "返回使用指南\n"},
    {"fraction sum", stacked("1", "2", "＋", "1", "3"),
     "分数加法\n"
     "1/2 + 1/3\n"
     "通分：2 和 3 的最小公倍数是 6，以 6 为公分母：\n"
     "= 3/6 + 2/6\n"
     "分母不变，分子相加：\n"
     "= (3 + 2)/6\n"
     "= 5/6\n"
     "返回使用指南\n"},
    {"decimal to fraction",
     oneBox("分数运算2", "编辑框13", "0.75", "数值到分数"),
     "小数化为分数\n"
     "小数点后有 2 位数字，就写成分母是 100 的分数：\n"
     "0.75 = 75/100\n"
     "分子分母同除以最大公因数 25：\n"
     "= 3/4\n"
     "返回使用指南\n"},
};

class WholeWorking : public ::testing::TestWithParam<Full> {};

TEST_P(WholeWorking, PrintsTheTextbookSteps) {
  const Full &c = GetParam();
  const Result result = runCli(c.script + kPrintView);
  EXPECT_EQ(result.out, c.working);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, WholeWorking, ::testing::ValuesIn(kFull),
                         caseName<Full>);

// ---- Key lines ------------------------------------------------------------

struct KeyLines {
  const char *name;
  std::string script;
  std::vector<std::string> lines; // in this order, each a whole line
  const char *box = nullptr;      // a result box and what it shows
  const char *shown = nullptr;
};

const KeyLines kKeyLines[] = {
    {"linear equation with a cut coefficient",
     linear("2.9", "-7"),
     {"解一元一次方程", "2x − 7 = 0", "系数取整数：2.9 按 2 计算。", "2x = 7",
      "x = 7/2 = 3.5", "左边 = 2 × 7/2 − 7 = 0，右边 = 0"},
     "编辑框3",
     "3.5"},
    {"linear equation with a recurring root",
     linear("3", "1"),
     {"3x + 1 = 0", "3x = −1", "x = −1/3 ≈ -0.333333333333333",
      "左边 = 3 × (−1/3) + 1 = 0，右边 = 0"},
     "编辑框3",
     "-0.333333333333333"},
    {"linear equation at the field's ends",
     linear("-2147483647", "-2147483648"),
     {"−2147483647x − 2147483648 = 0", "−2147483647x = 2147483648",
      "x = 2147483648/−2147483647 = −2147483648/2147483647 ≈ "
      "-1.00000000046566"},
     "编辑框3",
     "-1.00000000046566"},
    {"discriminant with a square factor",
     quadratic("1", "-2", "-1"),
     {"Δ = b² − 4ac = (−2)² − 4 × 1 × (−1) = 8", "√8 = 2√2",
      "x = (2 ± √8)/(2 × 1) = (2 ± 2√2)/2 = 1 ± √2",
      "x₁ = 1 + √2 ≈ 2.41421356237309", "x₂ = 1 − √2 ≈ -0.414213562373095",
      "x₁x₂ = −1，c/a = −1"},
     "x1",
     "2.41421356237309"},
    // 2146497439² − 4 · 1255109660 = 1663997² · 1664009.
    {"discriminant with a large square factor",
     quadratic("1", "2146497439", "1255109660"),
     {"Δ = b² − 4ac = 2146497439² − 4 × 1 × 1255109660 = "
      "4607451250613120081",
      "√4607451250613120081 = 1663997√1664009",
      "x = (−2146497439 ± √4607451250613120081)/(2 × 1) = (−2146497439 ± "
      "1663997√1664009)/2",
      "x₁ + x₂ = −2146497439，−b/a = −2146497439"},
     "x2",
     "-2146497438.41528"},
    // b² + 2^64 − 2^33 = 801981841 · 28751806793, both prime: no square part.
    {"discriminant near 2^64 without a square factor",
     quadratic("-2147483648", "2147482917", "2147483647"),
     {"Δ = b² − 4ac = 2147482917² − 4 × (−2147483648) × 2147483647 = "
      "23058426943926445913",
      "x₁ = (2147482917 − √23058426943926445913)/4294967296 ≈ "
      "-0.618034082625459",
      "x₁x₂ = −2147483647/2147483648，c/a = −2147483647/2147483648"},
     "x1",
     "-0.618034082625459"},
    {"complex roots with a square factor",
     quadratic("1", "-2", "3"),
     {"Δ = b² − 4ac = (−2)² − 4 × 1 × 3 = −8",
      "因为 Δ = −8 < 0，所以方程没有实数根。",
      "x = (2 ± √−8)/(2 × 1) = (2 ± 2√2 i)/2 = 1 ± √2 i"},
     "x1",
     "方程无实数根"},
    // D, Dx and Dy near 2^63 and 2^32: x = −(2^63 − 2^32)/(2^63 − 2^32 + 1).
    {"system with determinants near 2^63",
     system("-2147483648", "-2147483647", "2147483647", "2147483647",
            "-2147483648", "-2147483648"),
     {"D = a₁b₂ − a₂b₁ = (−2147483648) × (−2147483648) − 2147483647 × "
      "(−2147483647) = 9223372032559808513",
      "D_y = a₁c₂ − a₂c₁ = (−2147483648) × (−2147483648) − 2147483647 × "
      "2147483647 = 4294967295",
      "因为 D = 9223372032559808513 ≠ 0，所以方程组有唯一的解：",
      "两个方程的左边都等于右边，所以这组值是原方程组的解。"},
     "xyy",
     "4.65661287416159e-10"},
    {"difference of coprime denominators",
     stacked("46336", "46337", "－", "46326", "46327"),
     {"分数减法",
      "通分：46337 和 46327 的最小公倍数是 2146654199，以 2146654199 "
      "为公分母：",
      "= (2146607872 − 2146607862)/2146654199", "= 10/2146654199"},
     "分母3",
     "2146654199"},
    {"product cancelled before multiplying",
     stacked("4", "9", "×", "3", "8"),
     {"分数乘法", "先约分：4 和 8 同除以 4，3 和 9 同除以 3：", "= 1/3 × 1/2",
      "= 1/6"},
     "分母3",
     "6"},
    {"quotient as a product by the reciprocal",
     textCalculator("-2147483646/2147483647", "÷", "2147483646/2147483629"),
     {"分数除法", "= -2147483646/2147483647 × 2147483629/2147483646",
      "先约分：-2147483646 和 2147483646 同除以 2147483646：",
      "= -2147483629/2147483647"},
     "编辑框12",
     "-2147483629/2147483647"},
    {"mixed number in a sum",
     textCalculator("1&1/2", "－", "2/3"),
     {"分数减法", "1&1/2 = (1 × 2 + 1)/2", "= 3/2",
      "通分：2 和 3 的最小公倍数是 6，以 6 为公分母：", "= 9/6 − 4/6", "= 5/6"},
     "编辑框12",
     "5/6"},
    {"a zero denominator",
     stacked("1", "0", "＋", "1", "3"),
     {"分数加法",
      "第一个数 1/0 的分母为 0，分数没有意义，无法计算，结果显示为 0/0。"},
     "分母3",
     "0"},
    {"reduction by the greatest common divisor",
     oneBox("分数运算1", "编辑框6", "-45/60", "约分"),
     {"约分", "-45/60", "分子分母同除以最大公因数 15：", "= -3/4"},
     "编辑框7",
     "-3/4"},
    {"common denominator",
     oneBox("分数运算1", "编辑框8", "5/12", "通分") +
         "type 编辑框9 7/18\nclick 通分\n",
     {"通分",
      "12 和 18 的最小公倍数是 36，以 36 为公分母，分子分母同乘一个数：",
      "5/12 = (5 × 3)/(12 × 3) = 15/36", "7/18 = (7 × 2)/(18 × 2) = 14/36"},
     "编辑框11",
     "14/36"},
    {"common denominator beyond the range",
     oneBox("分数运算1", "编辑框8", "2147483645/2147483647", "通分") +
         "type 编辑框9 2147483646/2147483629\nclick 通分\n",
     {"通分", "公分母超出 ±2147483647 的范围，无法通分，结果显示为 0/0 和 "
              "0/0。"},
     "编辑框10",
     "0/0"},
    {"decimal to mixed number",
     oneBox("分数运算2", "编辑框15", "3.125", "数值到带分数"),
     {"3.125 = 3125/1000", "分子分母同除以最大公因数 125：", "= 25/8",
      "25 ÷ 8 = 3 余 1，商作整数部分，余数作分子，分母不变：", "= 3&1/8",
      "检验：(3 × 8 + 1)/8 = 25/8。"},
     "编辑框16",
     "3&1/8"},
    {"decimal too long for a power of ten",
     oneBox("分数运算2", "编辑框13", "-0.333333333333333", "数值到分数"),
     {"-0.333333333333333 ≈ -1/3"},
     "编辑框14",
     "-1/3"},
    {"recurring decimal",
     oneBox("分数运算2", "编辑框17", "-2147483646/2147483647", "分数到数值"),
     {"= (-2147483646) ÷ 2147483647", "≈ -0.999999999534339"},
     "编辑框19",
     "-0.999999999534339"},
    {"terminating decimal",
     oneBox("分数运算2", "编辑框17", "7/20", "分数到数值"),
     {"= 7 ÷ 20", "分母 20 只含质因数 2 和 5，能化成有限小数：", "= 0.35"},
     "编辑框19",
     "0.35"},
    {"negative mixed number to decimal",
     oneBox("分数运算2", "编辑框18", "-2&1/4", "带分数到数值"),
     {"-2&1/4 = -(2 × 4 + 1)/4", "= -9/4", "= (-9) ÷ 4", "= -2.25"},
     "编辑框20",
     "-2.25"},
    {"square of a mixed number",
     oneBox("分数运算2", "编辑框21", "1&1/2", "求分数平方"),
     {"分数的平方", "1&1/2 = (1 × 2 + 1)/2", "= 3/2", "(3/2)²", "= 3²/2²",
      "= 9/4"},
     "编辑框22",
     "9/4"},
    {"square beyond the range",
     oneBox("分数运算2", "编辑框21", "46340/46341", "求分数平方"),
     {"平方 2147395600/2147488281 的分子或分母超出 ±2147483647 "
      "的范围，无法写出，结果显示为 0/0。"},
     "编辑框22",
     "0/0"},
    {"nearest whole number",
     oneBox("分数运算2", "编辑框23", "-7/4", "约分到整数"),
     {"-7/4 = -1&3/4", "-7/4 ≈ -2"},
     "编辑框24",
     "-2"},
    {"nearest whole number of a negative half",
     oneBox("分数运算2", "编辑框23", "-2147483647/2", "约分到整数"),
     {"-2147483647/2 = -1073741823&1/2", "-2147483647/2 ≈ -1073741824"},
     "编辑框24",
     "-1073741824"},
    {"improper fraction to mixed number",
     oneBox("分数运算2", "编辑框25", "-22/7", "分数到带分数"),
     {"22 ÷ 7 = 3 余 1，商作整数部分，余数作分子，分母不变：", "= -3&1/7",
      "检验：-(3 × 7 + 1)/7 = -22/7。"},
     "编辑框27",
     "-3&1/7"},
    {"mixed number to improper fraction",
     oneBox("分数运算2", "编辑框26", "-1&1073741822/2147483646",
            "带分数到分数"),
     {"-1&1073741822/2147483646 = -(1 × 2147483646 + 1073741822)/2147483646",
      "= -3221225468/2147483646", "分子分母同除以最大公因数 2：",
      "= -1610612734/1073741823"},
     "编辑框28",
     "-1610612734/1073741823"},
    {"a mixed number with a zero denominator",
     oneBox("分数运算2", "编辑框26", "3&1/0", "带分数到分数"),
     {"带分数化为假分数",
      "输入不是有效的带分数（应写成“整数&分子/分母”，分母不为 0，数不超出 "
      "±2147483647），结果显示为 0/0。"},
     "编辑框28",
     "0/0"},
};

class WorkingLines : public ::testing::TestWithParam<KeyLines> {};

TEST_P(WorkingLines, ShowTheStepsAndTheBoxesResult) {
  const KeyLines &c = GetParam();
  const Result result = runCli(c.script + kPrintView + "print " + c.box + "\n");
  ASSERT_EQ(result.err, "");
  ASSERT_EQ(result.status, 0);
  std::vector<std::string> printed = linesOf(result.out);
  ASSERT_GE(printed.size(), 2u) << result.out;
  EXPECT_EQ(printed.back(), c.shown) << result.out;
  printed.pop_back();
  EXPECT_EQ(printed.back(), kReturnLink) << result.out;
  auto at = printed.begin();
  for (const std::string &line : c.lines) {
    const auto found = std::find(at, printed.end(), line);
    EXPECT_NE(found, printed.end())
        << "missing or out of order: " << line << "\n"
        << result.out;
    if (found != printed.end())
      at = found + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(Pages, WorkingLines, ::testing::ValuesIn(kKeyLines),
                         caseName<KeyLines>);

// ---- Back to the guide ----------------------------------------------------

struct PageClick {
  const char *name;
  std::string script;
  const char *box; // a box that "清空" empties
};

const PageClick kPageClicks[] = {
    {"linear equation", linear("3", "1"), "编辑框1"},
    {"system", system("2", "3", "8", "1", "-1", "-1"), "xya1"},
    {"quadratic equation", quadratic("1", "-3", "2"), "常数项"},
    {"fraction calculator", stacked("1", "2", "＋", "1", "3"), "分子1"},
    {"conversions", oneBox("分数运算2", "编辑框25", "7/3", "分数到带分数"),
     "编辑框25"},
};

class BackToTheGuide : public ::testing::TestWithParam<PageClick> {};

// The guide prints as nothing; a working ends with its return link.
TEST_P(BackToTheGuide, ByTheClearLinkAndByTheReturnLink) {
  const PageClick &c = GetParam();
  const Result shown = runCli(c.script + kPrintView);
  ASSERT_EQ(shown.status, 0) << shown.err;
  const std::vector<std::string> working = linesOf(shown.out);
  ASSERT_GE(working.size(), 3u) << shown.out;
  EXPECT_EQ(working.back(), kReturnLink);

  // The clear link empties the boxes and brings the guide back; the same
  // click again shows the same working.
  const Result cleared =
      runCli(c.script + "click 清空\n" + kPrintView + "print " + c.box + "\n" +
             c.script + kPrintView);
  EXPECT_EQ(cleared.out, "\n\n" + shown.out);
  EXPECT_EQ(cleared.err, "");

  // The return link brings the guide back and leaves the boxes; once the
  // guide shows, the view has no link to follow.
  const Result followed =
      runCli(c.script + "click 超文本浏览框1\n" + kPrintView +
             "click 超文本浏览框1\n" + c.script + kPrintView);
  EXPECT_EQ(followed.out, "\n" + shown.out);
  EXPECT_EQ(followed.err, "error: line " +
                              std::to_string(linesOf(c.script).size() + 3) +
                              ": click 超文本浏览框1: 超文本浏览框1 shows the "
                              "guide: no return link\n");
}

INSTANTIATE_TEST_SUITE_P(Pages, BackToTheGuide,
                         ::testing::ValuesIn(kPageClicks), caseName<PageClick>);

// ---- Message boxes --------------------------------------------------------

struct Refused {
  const char *name;
  std::string before;  // a click that shows a working, or nothing
  std::string refused; // what ends in a message box
  const char *message;
};

const Refused kRefused[] = {
    {"linear equation without x", linear("2.9", "-7"),
     "type 编辑框1 0\nclick 求解\n",
     "未知数系数不能为0，请勿输入其它非数字字符，否则将转换为0"},
    {"quadratic equation without x²", quadratic("1", "2", "5"),
     "type 二次项系数 0\nclick 求根\n",
     "二次项系数不能为0，请勿输入其它非数字字符，否则将转换为0"},
    {"quadratic equation with an empty box", quadratic("1", "-3", "2"),
     "type 常数项\nclick 求根\n",
     "请完整输入系数和常数项，没有一次项系数或常数项的方程请填0。"},
    {"system with an empty box", system("2", "3", "8", "4", "6", "15"),
     "type xyc2\nclick 求方程组\n", "请完整输入系数和常数项。"},
    {"while the guide shows", "page 一元二次方程\n", "click 求根\n",
     "请完整输入系数和常数项，没有一次项系数或常数项的方程请填0。"},
};

class MessageBox : public ::testing::TestWithParam<Refused> {};

TEST_P(MessageBox, LeavesTheViewAsItWas) {
  const Refused &c = GetParam();
  const Result before = runCli(c.before + kPrintView);
  const Result after = runCli(c.before + kPrintView + c.refused + kPrintView);
  EXPECT_EQ(after.out,
            before.out + "message: " + c.message + "\n" + before.out);
  EXPECT_EQ(after.err, "");
  EXPECT_EQ(after.status, 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, MessageBox, ::testing::ValuesIn(kRefused),
                         caseName<Refused>);

} // namespace
