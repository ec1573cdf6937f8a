#pragma once
// Text sizes for layout tests: a character is half the font size wide and a
// line four pixels higher than the font size (16 points: 8 x 20; 10 points:
// 5 x 14; 8 points: 4 x 12), so that geometry is exact without fonts.
#include "tools/model/uGrafickyVyraz.h"

class FixedTextMetrics : public TTextMetrics
{
public:
    int TextWidth(const QString &Text, int FontSize) const override { return int(Text.size()) * (FontSize / 2); }
    int TextHeight(const QString &, int FontSize) const override { return FontSize + 4; }
    QFont Font(int) const override { return QFont(); }
};
