// YEnvelopeComputer: turns a curve's control points into a list of segment items, each
// evaluating its stretch of the curve in closed form, so that single values, slopes and
// whole tables can be computed without touching the point list again.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class YEnvelopeComputer {
public:
    // Kind of the segment that leaves a point.
    enum SegmentType : int32_t {
        kMode1 = 0,
        kMode2 = 1,
        kMode3 = 2,
        kFree1 = 3,
        kDouble1 = 4,
        kSmooth1 = 5,
        kSmooth2 = 6,
        kStairs = 7,
        kPulses = 8,
        kSaw = 9,
        kTriangles = 10,
        kSines = 11,
        kSegmentTypeCount = 12
    };

    struct ControlPoint {
        double x = 0.0; // 0 … 1
        double y = 0.0;
        uint8_t flags = 0;
        double curvatureX = 0.0;
        double curvatureY = 0.0; // "the" curvature of most segment types
        double auxiliaryA = 0.0;
        double auxiliaryB = 0.0;
        int32_t type = kMode2;
        int32_t auxiliaryC = 0;
    };

    // The curve: points in x order, the value range it is drawn in, and its value when
    // it has no points.
    struct PointList {
        std::vector<ControlPoint> points;
        double rangeMinimum = -1.0;
        double rangeMaximum = 1.0;
        double emptyValue = 0.0;
    };

    // Names and help texts of the segment types for curve editors (nullptr when unknown).
    static const char* SegmentTypeName(int32_t type) noexcept;
    static const char* SegmentTypeHelp(int32_t type) noexcept;

    // One stretch of the curve, valid from the previous item's end x up to its own.
    class Item {
    public:
        explicit Item(double endX) noexcept : m_endX(endX) {}
        virtual ~Item();
        virtual std::unique_ptr<Item> Clone() const = 0;
        // out[i] = f(x0 + i·dx) for i < n.
        virtual void Render(double* out, double x0, double dx, int32_t n) const noexcept;
        virtual void Render(float* out, double x0, double dx, int32_t n) const noexcept;
        virtual double Evaluate(double x) const noexcept = 0;
        // Slope from the left and from the right of x.
        virtual double SlopeAt(double x) const noexcept;
        virtual double SlopeAfter(double x) const noexcept;
        double EndX() const noexcept { return m_endX; }

    protected:
        Item(const Item&) = default;
        Item& operator=(const Item&) = default;

    private:
        double m_endX;
    };

    // Shared plumbing: cloning and tight render loops over the kind's own Value().
    template <typename Derived> class ItemT : public Item {
    public:
        using Item::Item;
        std::unique_ptr<Item> Clone() const override {
            return std::make_unique<Derived>(static_cast<const Derived&>(*this));
        }
        void Render(double* out, double x0, double dx, int32_t n) const noexcept override {
            const Derived& self = static_cast<const Derived&>(*this);
            for (int32_t i = 0; i < n; ++i) out[i] = self.Value(x0 + i * dx);
        }
        void Render(float* out, double x0, double dx, int32_t n) const noexcept override {
            const Derived& self = static_cast<const Derived&>(*this);
            for (int32_t i = 0; i < n; ++i) out[i] = static_cast<float>(self.Value(x0 + i * dx));
        }
        double Evaluate(double x) const noexcept override {
            return static_cast<const Derived&>(*this).Value(x);
        }
    };

    class ItemConstant final : public ItemT<ItemConstant> {
    public:
        ItemConstant(double endX, double y) noexcept : ItemT(endX), m_y(y) {}
        double Value(double) const noexcept { return m_y; }
        double SlopeAt(double) const noexcept override { return 0.0; }
        double SlopeAfter(double) const noexcept override { return 0.0; }

    private:
        double m_y;
    };

    class ItemLinear final : public ItemT<ItemLinear> {
    public:
        ItemLinear(double endX, double slope, double offset) noexcept
            : ItemT(endX), m_slope(slope), m_offset(offset) {}
        double Value(double x) const noexcept { return m_slope * x + m_offset; }
        double SlopeAt(double) const noexcept override { return m_slope; }
        double SlopeAfter(double) const noexcept override { return m_slope; }

    private:
        double m_slope;
        double m_offset;
    };

    // y = Σ c[k]·(x − origin)^k. Kept relative to the segment start rather than in
    // absolute x: expanding into absolute x cancels catastrophically on narrow segments.
    template <typename Derived, int Degree> class ItemPolynomial : public ItemT<Derived> {
    public:
        ItemPolynomial(double endX, double origin, const double (&c)[Degree + 1]) noexcept
            : ItemT<Derived>(endX), m_origin(origin) {
            for (int k = 0; k <= Degree; ++k) m_c[k] = c[k];
        }
        double Value(double x) const noexcept {
            const double u = x - m_origin;
            double y = m_c[Degree];
            for (int k = Degree - 1; k >= 0; --k) y = y * u + m_c[k];
            return y;
        }
        double Derivative(double x) const noexcept {
            const double u = x - m_origin;
            double d = Degree * m_c[Degree];
            for (int k = Degree - 1; k >= 1; --k) d = d * u + k * m_c[k];
            return d;
        }
        double SlopeAt(double x) const noexcept override { return Derivative(x); }
        double SlopeAfter(double x) const noexcept override { return Derivative(x); }

    private:
        double m_origin;
        double m_c[Degree + 1];
    };

    class ItemQuadratic final : public ItemPolynomial<ItemQuadratic, 2> {
    public:
        using ItemPolynomial::ItemPolynomial;
    };
    class ItemCubic final : public ItemPolynomial<ItemCubic, 3> {
    public:
        using ItemPolynomial::ItemPolynomial;
    };
    class ItemFourthOrder final : public ItemPolynomial<ItemFourthOrder, 4> {
    public:
        using ItemPolynomial::ItemPolynomial;
    };

    class ItemExponencial final : public ItemT<ItemExponencial> {
    public:
        ItemExponencial(double x0, double y0, double x1, double y1, double curvature) noexcept;
        double Value(double x) const noexcept;

    private:
        double m_x0, m_y0, m_dx, m_dy, m_k, m_invK;
    };

    class ItemBezier final : public ItemT<ItemBezier> {
    public:
        ItemBezier(double x0, double y0, double x1, double y1, double curvatureX, double curvatureY) noexcept;
        double Value(double x) const noexcept;
        double SlopeAt(double x) const noexcept override { return Slope(x); }
        double SlopeAfter(double x) const noexcept override { return Slope(x); }

    private:
        double Parameter(double x) const noexcept;
        double Slope(double x) const noexcept;
        // x(s) = x0 + b·s + a·s², y(s) = y0 + by·s + ay·s².
        double m_x0, m_a, m_b, m_y0, m_ay, m_by;
        bool m_direct;
    };

    class ItemDouble final : public ItemT<ItemDouble> {
    public:
        ItemDouble(double x0, double y0, double x1, double y1, double curvature) noexcept;
        double Value(double x) const noexcept;
        double SlopeAt(double x) const noexcept override;
        double SlopeAfter(double x) const noexcept override;

    private:
        double m_midX;
        ItemFourthOrder m_first, m_second;
    };

    // The discrete shapes work on t = (x − x0)/Δx with n repetitions.
    class ItemStairs final : public ItemT<ItemStairs> {
    public:
        ItemStairs(double x0, double y0, double x1, double y1, double steps) noexcept;
        double Value(double x) const noexcept;
        double SlopeAt(double) const noexcept override { return 0.0; }
        double SlopeAfter(double) const noexcept override { return 0.0; }

    private:
        double m_x0, m_y0, m_invDx, m_n, m_stepHeight;
    };

    class ItemPulses final : public ItemT<ItemPulses> {
    public:
        ItemPulses(double x0, double x1, double first, double second, double pulses) noexcept;
        double Value(double x) const noexcept;
        double SlopeAt(double) const noexcept override { return 0.0; }
        double SlopeAfter(double) const noexcept override { return 0.0; }

    private:
        double m_x0, m_invDx, m_halfPeriods, m_first, m_second;
    };

    class ItemSaw final : public ItemT<ItemSaw> {
    public:
        ItemSaw(double x0, double x1, double a, double b, double teeth) noexcept;
        double Value(double x) const noexcept;
        double SlopeAt(double) const noexcept override { return m_slope; }
        double SlopeAfter(double) const noexcept override { return m_slope; }

    private:
        double m_x0, m_invDx, m_n, m_a, m_b, m_slope;
    };

    class ItemTriangles final : public ItemT<ItemTriangles> {
    public:
        ItemTriangles(double x0, double x1, double a, double b, double triangles) noexcept;
        double Value(double x) const noexcept;
        double SlopeAt(double x) const noexcept override;
        double SlopeAfter(double x) const noexcept override;

    private:
        double Phase(double x) const noexcept;
        double m_x0, m_invDx, m_k, m_a, m_b, m_slope;
    };

    class ItemSines final : public ItemT<ItemSines> {
    public:
        ItemSines(double x0, double x1, double a, double b, double waves) noexcept;
        double Value(double x) const noexcept;
        double SlopeAt(double x) const noexcept override { return Slope(x); }
        double SlopeAfter(double x) const noexcept override { return Slope(x); }

    private:
        double Slope(double x) const noexcept;
        double m_x0, m_invDx, m_mid, m_amplitude, m_frequency;
    };

    // A new computer holds the empty curve (constant 0).
    YEnvelopeComputer();
    explicit YEnvelopeComputer(const PointList& points);
    YEnvelopeComputer(const YEnvelopeComputer& other);
    YEnvelopeComputer& operator=(const YEnvelopeComputer& other);
    YEnvelopeComputer(YEnvelopeComputer&&) noexcept = default;
    YEnvelopeComputer& operator=(YEnvelopeComputer&&) noexcept = default;
    ~YEnvelopeComputer();

    // Rebuilds the items from a copy of the points. Raises "Invalid control point type."
    // for a segment of unknown type; the previous items stay in that case.
    void Compile(const PointList& points);

    // The points of the last successful Compile.
    const PointList& Points() const noexcept { return m_points; }
    double RangeMinimum() const noexcept { return m_points.rangeMinimum; }
    double RangeMaximum() const noexcept { return m_points.rangeMaximum; }

    // The curve at x. Never allocates.
    double Evaluate(double x) const noexcept;
    // out[i] = curve(startX + i·step) for i < count, one render call per item crossed.
    void Render(double* out, double startX, double step, int32_t count) const noexcept;
    void Render(float* out, double startX, double step, int32_t count) const noexcept;

    int32_t ItemCount() const noexcept { return static_cast<int32_t>(m_items.size()); }
    const Item& GetItem(int32_t index) const { return *m_items.at(static_cast<size_t>(index)); }

private:
    template <typename T> void RenderRun(T* out, double startX, double step, int32_t count) const noexcept;
    int32_t ItemIndexAt(double x) const noexcept;

    PointList m_points;
    std::vector<std::unique_ptr<Item>> m_items;
    std::vector<double> m_ends; // m_items[i]->EndX(), for the search
};
