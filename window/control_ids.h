// Identifiers of the main window, its controls and menu items.
//
// Controls keep the names the form gives them; handlers address a control by
// these constants. The form declaration uses the same constants, so each
// number is written once.
#pragma once

#include <cstdint>

namespace qx::ctl {

inline constexpr std::uint32_t kMainWindow = 0x52010001;

inline constexpr std::uint32_t 选择夹1 = 0x16010091;       // tab control
inline constexpr std::uint32_t 清空 = 0x160100CE;          // hyperlink box
inline constexpr std::uint32_t 超文本浏览框1 = 0x160108D1; // hypertext view
inline constexpr std::uint32_t 自动消块1 = 0x160108D2;     // check box
inline constexpr std::uint32_t 超级链接框1 = 0x160108D6;   // hyperlink box
inline constexpr std::uint32_t 标签7 = 0x1601009E;         // label
inline constexpr std::uint32_t 编辑框1 = 0x1601009F;       // edit box
inline constexpr std::uint32_t 标签8 = 0x160100A0;         // label
inline constexpr std::uint32_t 编辑框2 = 0x160100A3;       // edit box
inline constexpr std::uint32_t 标签9 = 0x160100A4;         // label
inline constexpr std::uint32_t 标签10 = 0x160100A5;        // label
inline constexpr std::uint32_t 编辑框3 = 0x160100A6;       // edit box
inline constexpr std::uint32_t 求解 = 0x160100A7;          // button
inline constexpr std::uint32_t 标签12 = 0x160100D7;        // label
inline constexpr std::uint32_t 标签13 = 0x160100D8;        // label
inline constexpr std::uint32_t 标签14 = 0x160100D9;        // label
inline constexpr std::uint32_t 标签15 = 0x160100DB;        // label
inline constexpr std::uint32_t 标签16 = 0x160100DC;        // label
inline constexpr std::uint32_t 标签18 = 0x160100DE;        // label
inline constexpr std::uint32_t 标签20 = 0x160100E0;        // label
inline constexpr std::uint32_t 标签17 = 0x160100DD;        // label
inline constexpr std::uint32_t 标签19 = 0x160100DF;        // label
inline constexpr std::uint32_t 标签21 = 0x160100E1;        // label
inline constexpr std::uint32_t 标签22 = 0x160100E2;        // label
inline constexpr std::uint32_t xya1 = 0x160100E3;          // edit box
inline constexpr std::uint32_t 标签23 = 0x160100E4;        // label
inline constexpr std::uint32_t xyb1 = 0x160100E5;          // edit box
inline constexpr std::uint32_t 标签24 = 0x160100E6;        // label
inline constexpr std::uint32_t xyc1 = 0x160100E7;          // edit box
inline constexpr std::uint32_t xya2 = 0x160100EA;          // edit box
inline constexpr std::uint32_t 标签25 = 0x160100EB;        // label
inline constexpr std::uint32_t xyb2 = 0x160100EC;          // edit box
inline constexpr std::uint32_t 标签26 = 0x160100ED;        // label
inline constexpr std::uint32_t xyc2 = 0x160100EE;          // edit box
inline constexpr std::uint32_t 求方程组 = 0x160100F1;      // button
inline constexpr std::uint32_t 标签27 = 0x160100F2;        // label
inline constexpr std::uint32_t 标签28 = 0x160100F5;        // label
inline constexpr std::uint32_t xyx = 0x160100F7;           // edit box
inline constexpr std::uint32_t 标签29 = 0x160100F6;        // label
inline constexpr std::uint32_t xyy = 0x160100F8;           // edit box
inline constexpr std::uint32_t 标签5 = 0x16010093;         // label
inline constexpr std::uint32_t 标签11 = 0x160100B3;        // label
inline constexpr std::uint32_t 二次项系数 = 0x1601009D;    // edit box
inline constexpr std::uint32_t 标签1 = 0x16010097;         // label
inline constexpr std::uint32_t 标签6 = 0x16010092;         // label
inline constexpr std::uint32_t 一次项系数 = 0x1601009C;    // edit box
inline constexpr std::uint32_t 标签2 = 0x16010096;         // label
inline constexpr std::uint32_t 常数项 = 0x1601009B;        // edit box
inline constexpr std::uint32_t 标签3 = 0x16010095;         // label
inline constexpr std::uint32_t 标签4 = 0x16010094;         // label
inline constexpr std::uint32_t x1 = 0x1601009A;            // edit box
inline constexpr std::uint32_t x2 = 0x16010099;            // edit box
inline constexpr std::uint32_t 求根 = 0x16010098;          // button
inline constexpr std::uint32_t 标签31 = 0x16010160;        // label
inline constexpr std::uint32_t 随机1 = 0x1601036C;         // label
inline constexpr std::uint32_t 转换到假分数 = 0x160101D3;  // label
inline constexpr std::uint32_t 分子1 = 0x1601015A;         // edit box
inline constexpr std::uint32_t 标签30 = 0x1601015B;        // label
inline constexpr std::uint32_t 分母1 = 0x1601015C;         // edit box
inline constexpr std::uint32_t 组合框1 = 0x1601015F;       // combo box
inline constexpr std::uint32_t 分子2 = 0x16010161;         // edit box
inline constexpr std::uint32_t 标签32 = 0x16010162;        // label
inline constexpr std::uint32_t 分母2 = 0x16010163;         // edit box
inline constexpr std::uint32_t 标签33 = 0x16010164;        // label
inline constexpr std::uint32_t 分子3 = 0x16010165;         // edit box
inline constexpr std::uint32_t 标签34 = 0x16010166;        // label
inline constexpr std::uint32_t 分母3 = 0x16010167;         // edit box
inline constexpr std::uint32_t 计算 = 0x16010168;          // button
inline constexpr std::uint32_t 编辑框4 = 0x16010399;       // edit box
inline constexpr std::uint32_t 组合框2 = 0x1601039A;       // combo box
inline constexpr std::uint32_t 编辑框5 = 0x1601039B;       // edit box
inline constexpr std::uint32_t 计算2 = 0x1601039C;         // button
inline constexpr std::uint32_t 编辑框12 = 0x1601039D;      // edit box
inline constexpr std::uint32_t 编辑框6 = 0x160101AD;       // edit box
inline constexpr std::uint32_t 约分 = 0x160101AB;          // button
inline constexpr std::uint32_t 编辑框7 = 0x160101AE;       // edit box
inline constexpr std::uint32_t 编辑框8 = 0x160101B0;       // edit box
inline constexpr std::uint32_t 标签35 = 0x160101B1;        // label
inline constexpr std::uint32_t 编辑框9 = 0x160101B2;       // edit box
inline constexpr std::uint32_t 通分 = 0x160101B3;          // button
inline constexpr std::uint32_t 编辑框10 = 0x160101B4;      // edit box
inline constexpr std::uint32_t 标签36 = 0x160101B5;        // label
inline constexpr std::uint32_t 编辑框11 = 0x160101B6;      // edit box
inline constexpr std::uint32_t 编辑框13 = 0x1601048E;      // edit box
inline constexpr std::uint32_t 数值到分数 = 0x1601048F;    // button
inline constexpr std::uint32_t 编辑框14 = 0x16010490;      // edit box
inline constexpr std::uint32_t 编辑框15 = 0x16010491;      // edit box
inline constexpr std::uint32_t 数值到带分数 = 0x16010492;  // button
inline constexpr std::uint32_t 编辑框16 = 0x16010493;      // edit box
inline constexpr std::uint32_t 编辑框17 = 0x1601049A;      // edit box
inline constexpr std::uint32_t 分数到数值 = 0x1601049C;    // button
inline constexpr std::uint32_t 编辑框19 = 0x1601049E;      // edit box
inline constexpr std::uint32_t 编辑框18 = 0x1601049B;      // edit box
inline constexpr std::uint32_t 带分数到数值 = 0x1601049D;  // button
inline constexpr std::uint32_t 编辑框20 = 0x1601049F;      // edit box
inline constexpr std::uint32_t 编辑框21 = 0x160104E7;      // edit box
inline constexpr std::uint32_t 求分数平方 = 0x160104E8;    // button
inline constexpr std::uint32_t 编辑框22 = 0x160104E9;      // edit box
inline constexpr std::uint32_t 编辑框23 = 0x160104EA;      // edit box
inline constexpr std::uint32_t 约分到整数 = 0x160104EB;    // button
inline constexpr std::uint32_t 编辑框24 = 0x160104EC;      // edit box
inline constexpr std::uint32_t 编辑框25 = 0x160104ED;      // edit box
inline constexpr std::uint32_t 分数到带分数 = 0x160104EF;  // button
inline constexpr std::uint32_t 编辑框27 = 0x160104F2;      // edit box
inline constexpr std::uint32_t 编辑框26 = 0x160104F0;      // edit box
inline constexpr std::uint32_t 带分数到分数 = 0x160104F3;  // button
inline constexpr std::uint32_t 编辑框28 = 0x160104F6;      // edit box
inline constexpr std::uint32_t 随机2 = 0x160104F7;         // hyperlink box

} // namespace qx::ctl

namespace qx::menu {

// Menu items of "常用工具", in menu order.
inline constexpr std::uint32_t 常用工具 = 0x26010001;
inline constexpr std::uint32_t 计算器 = 0x26010002;
inline constexpr std::uint32_t 记事本 = 0x26010003;
inline constexpr std::uint32_t 分隔线 = 0x26010004;
inline constexpr std::uint32_t 退出 = 0x26010005;

} // namespace qx::menu
