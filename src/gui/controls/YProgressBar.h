// A bar filled to show how far something has come: a value between "mmin" and "mmax".
#pragma once

#include "gui/toolkit/YControl.h"

class YProgressBar : public YControl {
public:
    YProgressBar(YControl* parent, const YString& id = YString());

    void Load(const YXMLItem& element) override;
    void Paint(YDrawer& drawer) override;
    YSize ComputeMinimalSize() override;
    bool IsEligible() override { return false; }

    double Minimum() const noexcept { return m_min; }
    double Maximum() const noexcept { return m_max; }
    double Value() const noexcept { return m_value; }
    // The limits in any order; the value stays inside them.
    void SetRange(double min, double max);
    void SetValue(double value);
    // How full the bar is, 0 .. 1 (0 for an empty range).
    double Fraction() const noexcept;
    // A bar taller than wide fills from the bottom up.
    bool IsVertical() const noexcept;

private:
    double m_min = 0.0;
    double m_max = 100.0;
    double m_value = 0.0;
};
