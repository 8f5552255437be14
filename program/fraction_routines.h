// The handlers of the two fraction pages and their random test links.
#pragma once

#include "runtime/sdk/routine.h"

#include <cstdint>

// Page 分数运算1.
// Click of 计算: the stacked calculator, 分子1/分母1 op 分子2/分母2.
QX_IMAGE_ROUTINE void OnFractionCalc();
// Click of 计算2: the calculator on fraction texts, 编辑框4 op 编辑框5.
QX_IMAGE_ROUTINE void OnFractionCalcText();
// Click of 约分: reduces 编辑框6 into 编辑框7; a mixed number offers the
// conversion link.
QX_IMAGE_ROUTINE void OnReduce();
// Click of the label 转换到假分数 (arguments ignored; callers pass 0, 0, 0):
// 编辑框6 as an improper fraction into 编辑框7, then the random link returns.
QX_IMAGE_ROUTINE void OnMixedToImproper(std::int32_t, std::int32_t,
                                        std::int32_t);
// Click of 通分: 编辑框8 and 编辑框9 over their common denominator.
QX_IMAGE_ROUTINE void OnCommonDenominator();

// Page 分数运算2: one conversion per button.
QX_IMAGE_ROUTINE void OnDecimalToFraction();
QX_IMAGE_ROUTINE void OnDecimalToMixed();
QX_IMAGE_ROUTINE void OnFractionToDecimal();
QX_IMAGE_ROUTINE void OnMixedToDecimal();
QX_IMAGE_ROUTINE void OnSquareFraction();
QX_IMAGE_ROUTINE void OnReduceToInteger();
QX_IMAGE_ROUTINE void OnFractionToMixed();
QX_IMAGE_ROUTINE void OnMixedToFraction();

// The random test links (arguments ignored): fill the entry boxes of page
// 分数运算1 and 分数运算2 with random fractions, mixed numbers and decimals.
QX_IMAGE_ROUTINE void OnRandomTest1(std::int32_t, std::int32_t, std::int32_t);
QX_IMAGE_ROUTINE void OnRandomTest2(std::int32_t, std::int32_t, std::int32_t);
