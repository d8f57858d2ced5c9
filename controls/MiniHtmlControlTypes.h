#pragma once
// The property types the mini-HTML display controls share.

enum class TAutoSizeType { asVertical, asHorizontal, asBoth };
enum class TVAlignment { tvaTop, tvaCenter, tvaBottom };
enum class TGradientType { gtFullHorizontal, gtFullVertical, gtBottomLine, gtCenterLine, gtTopLine };
enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum class TBorderStyle { bsNone, bsSingle };
// How the owner places the control. Auto-sizing changes only the extents that the placement leaves free:
// the height unless the control is stretched top to bottom, the width unless it is stretched across.
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// The system colours the controls use by default (the Windows colour indices).
inline constexpr int kSystemWindowText = 8;
inline constexpr int kSystemBtnFace = 15;
inline constexpr int kSystemBtnShadow = 16;
inline constexpr int kSystemBtnHighlight = 20;

inline constexpr const char* kMiniHtmlControlVersion = "1.0.0.0";
