// "Excel.Application" over LibreOffice Calc: the application, its workbooks,
// worksheets, ranges, fonts and fills, with the members the program calls.
//
// Cell values follow the spreadsheet's input rules: a text put into a cell
// that reads as a number ("42", "-1,5", "2.5E3") becomes that number, a text
// starting with an apostrophe is kept as the text after it, an empty text
// leaves the cell empty. A value array larger than the range is cut to it;
// cells of the range beyond the array are left empty.
//
// Columns.AutoFit fits the columns to the range's own cells, not to the
// whole sheet columns (a long title above a table does not widen its column).
// Values put into cells of those columns outside the range are briefly
// taken out while the office fits the columns. Right after a block of values
// was put into the same range, the widths are measured here from the values
// just written, in the cells' font, instead of the office laying out every
// cell a second time.
#include <QDate>
#include <QDateTime>
#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <optional>
#include <cmath>
#include <vector>

#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertyState.hpp>
#include <com/sun/star/awt/FontSlant.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeMovement.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XMergeable.hpp>

#include "platform/core/DateTime.h"
#include "platform/ole/uno/UnoOffice.h"

namespace unooffice {

using namespace css;
using namespace css::uno;
using ole::Is;
using Kind = IDispatch::TInvokeKind;

namespace {

constexpr int kMaxRows = 1048576, kMaxCols = 16384;

// The spreadsheet's standard palette of 56 colours, as 0xRRGGBB.
constexpr sal_Int32 kPalette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000,
    0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF,
    0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000,
    0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966,
    0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};
constexpr int xlColorIndexNone = -4142, xlColorIndexAutomatic = -4105;
constexpr int xlGeneral = 1, xlLeft = -4131, xlCenter = -4108, xlRight = -4152, xlFill = 5, xlJustify = -4130,
              xlCenterAcrossSelection = 7, xlDistributed = -4117;

void ReadOnlyMember(const IDispatch* o, const QString& name)
{
    throw EOleError(QStringLiteral("%1.%2 cannot be set").arg(o->TypeName(), name));
}


// A text as the spreadsheet's input line reads it: a plain number (either
// decimal separator, optional exponent) or nothing.
bool ParseNumber(const QString& s, double& out)
{
    const int n = int(s.size());
    int i = 0;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) ++i;
    const int digitsFrom = i;
    while (i < n && s[i].isDigit() && s[i].unicode() < 128) ++i;
    int digits = i - digitsFrom;
    if (i < n && (s[i] == u',' || s[i] == u'.')) {
        ++i;
        const int f = i;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128) ++i;
        digits += i - f;
    }
    if (digits == 0) return false;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        if (i < n && (s[i] == u'+' || s[i] == u'-')) ++i;
        const int e = i;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128) ++i;
        if (i == e) return false;
    }
    if (i != n) return false;
    QString t = s;
    t.replace(u',', u'.');
    bool ok = false;
    out = t.toDouble(&ok);
    return ok && std::isfinite(out);
}

Any CellAny(const Variant& v)
{
    if (!v.isValid() || v.isNull()) return Any();
    switch (v.typeId()) {
    case QMetaType::Bool: return Any(v.toBool() ? 1.0 : 0.0);
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Short: case QMetaType::UShort:
        return Any(v.toDouble());
    case QMetaType::QDate: return Any(QDateToDateTime(v.toDate()));
    case QMetaType::QDateTime: return Any(QDateTimeToDateTime(v.toDateTime()));
    default: break;
    }
    const QString s = v.toString();
    if (s.isEmpty()) return Any();
    // The text after the apostrophe, without an intermediate copy.
    if (s[0] == u'\'') return Any(rtl::OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()) + 1, sal_Int32(s.size()) - 1));
    double d;
    if (ParseNumber(s, d)) return Any(d);
    return Any(OU(s));
}

Variant AnyToVariant(const Any& a)
{
    double d;
    rtl::OUString s;
    if (a >>= d) return Variant(d);
    if (a >>= s) return s.isEmpty() ? Variant() : Variant(QS(s));
    return Variant();
}

// A rectangle of a sheet, 1-based, both corners included.
struct TArea {
    int R1 = 1, C1 = 1, R2 = 1, C2 = 1;
    int Rows() const { return R2 - R1 + 1; }
    int Cols() const { return C2 - C1 + 1; }
};

class TExcelApplication;

// Widths of shown cell texts measured the way the office fits a column: it
// lays the text out on a 96 dpi screen with every character's advance
// rounded to whole pixels, and turns the widest text's pixels (plus a few
// for the cell's margins) back into a width at its own scale of 0.773 pt
// per pixel, then adds a fixed 113 twips. Per-character advances are cached.
class TTextWidths {
public:
    TTextWidths(const QString& family, double points, bool bold, bool italic)
        : FPixels(std::max(1.0, std::round(points * 96.0 / 72.0)))
    {
        QFont f(family);
        f.setPixelSize(kEm);
        f.setBold(bold);
        f.setItalic(italic);
        f.setHintingPreference(QFont::PreferNoHinting);
        FMetrics.emplace(f);
        FAdvance.assign(0x10000, -1);
    }

    // The pixels the widest line of a text takes.
    int Pixels(const sal_Unicode* s, sal_Int32 n)
    {
        int line = 0, widest = 0;
        for (sal_Int32 i = 0; i < n; ++i) {
            const sal_Unicode ch = s[i];
            if (ch == u'\n') {
                widest = std::max(widest, line);
                line = 0;
                continue;
            }
            if (ch >= 0xD800 && ch <= 0xDFFF) {   // a pair of surrogates: measured as one
                const sal_Int32 len = i + 1 < n ? 2 : 1;
                const QString pair = QString::fromUtf16(reinterpret_cast<const char16_t*>(s + i), len);
                line += int(std::lround(FMetrics->horizontalAdvance(pair) * FPixels / kEm));
                i += len - 1;
                continue;
            }
            int& a = FAdvance[ch];
            if (a < 0) a = int(std::lround(FMetrics->horizontalAdvance(QChar(ch)) * FPixels / kEm));
            line += a;
        }
        return std::max(widest, line);
    }

    // The column width in 1/100 mm that fits a text of so many pixels.
    static sal_Int32 ColumnWidth(int pixels)
    {
        constexpr double kPointsPerPixel = 0.773, kMarginPixels = 4, kExtraTwips = 113;
        const double points = (pixels + kMarginPixels) * kPointsPerPixel + kExtraTwips / 20.0;
        return sal_Int32(std::lround(points * 2540.0 / 72.0));
    }

private:
    static constexpr int kEm = 1000;
    double FPixels;
    std::optional<QFontMetricsF> FMetrics;
    std::vector<int> FAdvance;
};

// The shown text of a number in the standard format.
rtl::OUString NumberText(double d)
{
    if (d == std::floor(d) && std::fabs(d) < 1e15) return rtl::OUString::number(sal_Int64(d));
    QString s = QString::number(d, 'g', 15).toUpper();
    return OU(s);
}

// The last block of values put into a sheet, with the pixels its widest shown
// text takes in each column (negative: nothing shown). Any other change made
// through these objects forgets it, so a later fit of exactly that range can
// trust the widths.
struct TLastBlock {
    Reference<sheet::XSpreadsheet> Sheet;
    int R1 = 0, C1 = 0, R2 = -1, C2 = -1;
    std::vector<int> Widths;
};
TLastBlock g_lastBlock;
void ForgetBlock() { g_lastBlock = TLastBlock(); }

class TRange : public IDispatch {
public:
    enum TShape { shCells, shColumns, shRows };
    TRange(Reference<sheet::XSpreadsheetDocument> doc, Reference<sheet::XSpreadsheet> sheet, TArea area,
           TShape shape = shCells)
        : FDoc(std::move(doc)), FSheet(std::move(sheet)), FArea(area), FShape(shape) {}
    QString TypeName() const override { return QStringLiteral("Range"); }
    const TArea& Area() const { return FArea; }
    const Reference<sheet::XSpreadsheet>& Sheet() const { return FSheet; }

    OleVariant Invoke(Kind k, const QString& n, const OleArgs& a, const OleVariant& v) override
    {
        return Guarded(QStringLiteral("Range.") + n, [&]() -> OleVariant {
            if (!(Is(n, "Columns") || Is(n, "Rows") || Is(n, "AutoFit"))) ForgetBlock();
            if (Is(n, "Value") || Is(n, "Value2")) {
                if (k == Kind::Put) return PutValue(v), OleVariant();
                return GetValue();
            }
            if (Is(n, "Font")) return OleVariant(MakeFont());
            if (Is(n, "Interior")) return OleVariant(MakeInterior());
            if (Is(n, "MergeCells")) {
                Reference<util::XMergeable> m(Cells(), UNO_QUERY_THROW);
                if (k == Kind::Put) return m->merge(v.ToBool()), OleVariant();
                return OleVariant(bool(m->getIsMerged()));
            }
            if (Is(n, "WrapText")) {
                if (k == Kind::Put) return Props()->setPropertyValue("IsTextWrapped", Any(v.ToBool())), OleVariant();
                bool b = false;
                Props()->getPropertyValue("IsTextWrapped") >>= b;
                return OleVariant(b);
            }
            if (Is(n, "HorizontalAlignment")) {
                if (k == Kind::Put) return SetAlignment(v.ToInt()), OleVariant();
                return OleVariant(GetAlignment());
            }
            if (Is(n, "Columns") || Is(n, "Rows")) {
                if (k == Kind::Put) ReadOnlyMember(this, n);
                return OleVariant(IDispatchPtr(std::make_shared<TRange>(FDoc, FSheet, FArea, Is(n, "Rows") ? shRows : shColumns)));
            }
            if (Is(n, "AutoFit")) return AutoFit(), OleVariant();
            if (Is(n, "Row")) return OleVariant(FArea.R1);
            if (Is(n, "Column")) return OleVariant(FArea.C1);
            if (Is(n, "Count"))
                return OleVariant(FShape == shColumns ? FArea.Cols() : FShape == shRows ? FArea.Rows() : FArea.Rows() * FArea.Cols());
            if (Is(n, "Width")) return OleVariant(Extent(true));
            if (Is(n, "Height")) return OleVariant(Extent(false));
            ole::UnknownMember(this, n);
        });
    }

    Reference<table::XCellRange> Cells() const
    {
        return FSheet->getCellRangeByPosition(FArea.C1 - 1, FArea.R1 - 1, FArea.C2 - 1, FArea.R2 - 1);
    }
    Reference<beans::XPropertySet> Props() const { return Reference<beans::XPropertySet>(Cells(), UNO_QUERY_THROW); }

private:
    Reference<sheet::XSpreadsheetDocument> FDoc;
    Reference<sheet::XSpreadsheet> FSheet;
    TArea FArea;
    TShape FShape;

    IDispatchPtr MakeFont();
    IDispatchPtr MakeInterior();

    void PutValue(const OleVariant& v)
    {
        const int rows = FArea.Rows(), cols = FArea.Cols();
        Sequence<Sequence<Any>> data(rows);
        Sequence<Any>* out = data.getArray();
        if (TVarArray* arr = v.Array()) {
            for (int r = 0; r < rows; ++r) {
                out[r].realloc(cols);
                Any* line = out[r].getArray();
                if (r >= arr->RowCount()) continue;
                const int n = std::min(cols, arr->ColCount());
                for (int c = 0; c < n; ++c) line[c] = CellAny(arr->Cell(r, c));
            }
        } else {
            if (v.IsDispatch()) throw EOleError(QStringLiteral("Type mismatch: an object is not a cell value"));
            const Any one = CellAny(v.Value());
            for (int r = 0; r < rows; ++r) {
                out[r].realloc(cols);
                Any* line = out[r].getArray();
                for (int c = 0; c < cols; ++c) line[c] = one;
            }
        }
        Reference<sheet::XCellRangeData>(Cells(), UNO_QUERY_THROW)->setDataArray(data);
        if (v.Array()) RememberBlock(data);
    }

    // The font every cell of the range shows its text in, or nothing when
    // the cells differ.
    std::optional<TTextWidths> RangeFont() const
    {
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return std::nullopt;
        const rtl::OUString list[] = {"CharFontName", "CharHeight", "CharWeight", "CharPosture"};
        const Sequence<rtl::OUString> names(list, 4);
        const Sequence<beans::PropertyState> states = Reference<beans::XPropertyState>(Cells(), UNO_QUERY_THROW)->getPropertyStates(names);
        for (const beans::PropertyState st : states)
            if (st == beans::PropertyState_AMBIGUOUS_VALUE) return std::nullopt;
        const Reference<beans::XPropertySet> p = Props();
        rtl::OUString family;
        float height = 0, weight = awt::FontWeight::NORMAL;
        awt::FontSlant slant = awt::FontSlant_NONE;
        p->getPropertyValue("CharFontName") >>= family;
        p->getPropertyValue("CharHeight") >>= height;
        p->getPropertyValue("CharWeight") >>= weight;
        p->getPropertyValue("CharPosture") >>= slant;
        if (family.isEmpty() || !(height > 0)) return std::nullopt;
        return std::optional<TTextWidths>(std::in_place, QS(family), double(height), weight > awt::FontWeight::NORMAL,
                                          slant != awt::FontSlant_NONE);
    }

    // Measures the widest shown text of each column of a block just written.
    void RememberBlock(const Sequence<Sequence<Any>>& data)
    {
        std::optional<TTextWidths> font = RangeFont();
        if (!font) return;
        const int rows = FArea.Rows(), cols = FArea.Cols();
        TLastBlock b{FSheet, FArea.R1, FArea.C1, FArea.R2, FArea.C2, std::vector<int>(cols, -1)};
        rtl::OUString s;
        double d;
        for (int r = 0; r < rows; ++r) {
            const Any* line = data[r].getConstArray();
            for (int c = 0; c < cols; ++c) {
                if (line[c] >>= d) s = NumberText(d);
                else if (!(line[c] >>= s) || s.isEmpty()) continue;
                b.Widths[c] = std::max(b.Widths[c], font->Pixels(s.getStr(), s.getLength()));
            }
        }
        g_lastBlock = std::move(b);
    }

    // Fits the columns from the widths measured when the range's values were
    // put, if they were the last change; false when the office must measure.
    bool FitFromLastBlock(const Reference<table::XColumnRowRange>& crr)
    {
        const TLastBlock& b = g_lastBlock;
        if (b.Sheet.get() != FSheet.get() || b.R1 != FArea.R1 || b.R2 != FArea.R2 || b.C1 > FArea.C1 || b.C2 < FArea.C2) return false;
        Reference<container::XIndexAccess> cols(crr->getColumns(), UNO_QUERY_THROW);
        for (int c = FArea.C1; c <= FArea.C2; ++c) {
            const int pixels = b.Widths[c - b.C1];
            // A column with nothing shown keeps its width, as the office does.
            if (pixels < 0) continue;
            Reference<beans::XPropertySet>(cols->getByIndex(c - FArea.C1), UNO_QUERY_THROW)
                ->setPropertyValue("Width", Any(TTextWidths::ColumnWidth(pixels)));
        }
        return true;
    }

    OleVariant GetValue() const
    {
        const Sequence<Sequence<Any>> data = Reference<sheet::XCellRangeData>(Cells(), UNO_QUERY_THROW)->getDataArray();
        if (FArea.Rows() == 1 && FArea.Cols() == 1) {
            // An empty cell and a cell with an empty text read the same.
            return OleVariant(data.getLength() ? AnyToVariant(data[0][0]) : Variant());
        }
        auto arr = std::make_shared<TVarArray>(1, FArea.Rows(), 1, FArea.Cols());
        for (int r = 0; r < data.getLength() && r < FArea.Rows(); ++r)
            for (int c = 0; c < data[r].getLength() && c < FArea.Cols(); ++c) arr->Cell(r, c) = AnyToVariant(data[r][c]);
        return OleVariant(arr);
    }

    void SetAlignment(int x)
    {
        table::CellHoriJustify j;
        switch (x) {
        case xlGeneral: j = table::CellHoriJustify_STANDARD; break;
        case 2: case xlLeft: j = table::CellHoriJustify_LEFT; break;
        case 3: case xlCenter: case xlCenterAcrossSelection: j = table::CellHoriJustify_CENTER; break;
        case 4: case xlRight: j = table::CellHoriJustify_RIGHT; break;
        case xlFill: j = table::CellHoriJustify_REPEAT; break;
        case 6: case xlJustify: case xlDistributed: j = table::CellHoriJustify_BLOCK; break;
        default: throw EOleError(QStringLiteral("Unable to set the HorizontalAlignment property to %1").arg(x));
        }
        Props()->setPropertyValue("HoriJustify", Any(j));
    }

    int GetAlignment() const
    {
        table::CellHoriJustify j = table::CellHoriJustify_STANDARD;
        Props()->getPropertyValue("HoriJustify") >>= j;
        switch (j) {
        case table::CellHoriJustify_LEFT: return xlLeft;
        case table::CellHoriJustify_CENTER: return xlCenter;
        case table::CellHoriJustify_RIGHT: return xlRight;
        case table::CellHoriJustify_REPEAT: return xlFill;
        case table::CellHoriJustify_BLOCK: return xlJustify;
        default: return xlGeneral;
        }
    }

    // Width (or height) of the range in points.
    double Extent(bool width) const
    {
        Reference<table::XColumnRowRange> crr(Cells(), UNO_QUERY_THROW);
        Reference<container::XIndexAccess> parts(width ? Reference<XInterface>(crr->getColumns()) : Reference<XInterface>(crr->getRows()), UNO_QUERY_THROW);
        double total = 0;
        for (sal_Int32 i = 0; i < parts->getCount(); ++i) {
            sal_Int32 v = 0;
            Reference<beans::XPropertySet>(parts->getByIndex(i), UNO_QUERY_THROW)->getPropertyValue(width ? rtl::OUString("Width") : rtl::OUString("Height")) >>= v;
            total += v;
        }
        return total * 72.0 / 2540.0;   // 1/100 mm to points
    }

    void AutoFit()
    {
        if (FShape == shCells) throw EOleError(QStringLiteral("AutoFit method of Range class failed: not a range of rows or columns"));
        Reference<table::XColumnRowRange> crr(Cells(), UNO_QUERY_THROW);
        if (FShape == shRows) {
            Reference<beans::XPropertySet>(crr->getRows(), UNO_QUERY_THROW)->setPropertyValue("OptimalHeight", Any(true));
            return;
        }
        if (FitFromLastBlock(crr)) return;
        // The office fits whole sheet columns. Cells of those columns outside
        // the range (a title above a table, say) are taken out while the
        // columns are fitted and put back after; when there are many, a copy
        // of the range alone is fitted on a scratch sheet instead.
        const table::CellRangeAddress ra = Reference<sheet::XCellRangeAddressable>(Cells(), UNO_QUERY_THROW)->getRangeAddress();
        std::vector<Reference<table::XCellRange>> outside;
        if (ra.StartRow > 0) outside.push_back(FSheet->getCellRangeByPosition(ra.StartColumn, 0, ra.EndColumn, ra.StartRow - 1));
        if (ra.EndRow < kMaxRows - 1)
            outside.push_back(FSheet->getCellRangeByPosition(ra.StartColumn, ra.EndRow + 1, ra.EndColumn, kMaxRows - 1));
        struct TSaved { Reference<table::XCell> Cell; bool Formula; rtl::OUString Text; Sequence<Sequence<Any>> Data; };
        std::vector<TSaved> saved;
        bool few = true;
        const sal_Int16 contents = sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME | sheet::CellFlags::STRING | sheet::CellFlags::FORMULA;
        for (const auto& part : outside) {
            Reference<sheet::XSheetCellRanges> found = Reference<sheet::XCellRangesQuery>(part, UNO_QUERY_THROW)->queryContentCells(contents);
            Reference<container::XEnumeration> e = found->getCells()->createEnumeration();
            while (few && e->hasMoreElements()) {
                Reference<table::XCell> cell(e->nextElement(), UNO_QUERY_THROW);
                TSaved k{cell, cell->getType() == table::CellContentType_FORMULA, rtl::OUString(), {}};
                if (k.Formula) k.Text = cell->getFormula();
                else k.Data = Reference<sheet::XCellRangeData>(cell, UNO_QUERY_THROW)->getDataArray();
                saved.push_back(std::move(k));
                few = saved.size() <= 1000;
            }
        }
        if (!few) return AutoFitOnScratch(crr);
        auto restore = [&] {
            for (const TSaved& k : saved) {
                if (k.Formula) k.Cell->setFormula(k.Text);
                else Reference<sheet::XCellRangeData>(k.Cell, UNO_QUERY_THROW)->setDataArray(k.Data);
            }
        };
        for (const TSaved& k : saved) Reference<sheet::XSheetOperation>(k.Cell, UNO_QUERY_THROW)->clearContents(contents);
        try {
            Reference<beans::XPropertySet>(crr->getColumns(), UNO_QUERY_THROW)->setPropertyValue("OptimalWidth", Any(true));
        } catch (...) {
            restore();
            throw;
        }
        restore();
    }

    void AutoFitOnScratch(const Reference<table::XColumnRowRange>& crr)
    {
        Reference<sheet::XSpreadsheets> sheets = FDoc->getSheets();
        Reference<container::XIndexAccess> byIndex(sheets, UNO_QUERY_THROW);
        rtl::OUString scratchName = "qv_autofit";
        for (int i = 1; sheets->hasByName(scratchName); ++i) scratchName = "qv_autofit" + rtl::OUString::number(i);
        const sal_Int16 scratchIndex = sal_Int16(byIndex->getCount());
        sheets->insertNewByName(scratchName, scratchIndex);
        try {
            Reference<sheet::XSpreadsheet> scratch(sheets->getByName(scratchName), UNO_QUERY_THROW);
            table::CellRangeAddress src = Reference<sheet::XCellRangeAddressable>(Cells(), UNO_QUERY_THROW)->getRangeAddress();
            table::CellAddress dst;
            dst.Sheet = scratchIndex;
            dst.Column = src.StartColumn;
            dst.Row = 0;
            Reference<sheet::XCellRangeMovement>(scratch, UNO_QUERY_THROW)->copyRange(dst, src);
            Reference<table::XColumnRowRange> fitted(
                scratch->getCellRangeByPosition(src.StartColumn, 0, src.EndColumn, src.EndRow - src.StartRow), UNO_QUERY_THROW);
            Reference<container::XIndexAccess> fitCols(fitted->getColumns(), UNO_QUERY_THROW);
            Reference<beans::XPropertySet>(fitted->getColumns(), UNO_QUERY_THROW)->setPropertyValue("OptimalWidth", Any(true));
            Reference<container::XIndexAccess> cols(crr->getColumns(), UNO_QUERY_THROW);
            for (sal_Int32 i = 0; i < cols->getCount(); ++i) {
                const Any w = Reference<beans::XPropertySet>(fitCols->getByIndex(i), UNO_QUERY_THROW)->getPropertyValue("Width");
                Reference<beans::XPropertySet>(cols->getByIndex(i), UNO_QUERY_THROW)->setPropertyValue("Width", w);
            }
        } catch (...) {
            sheets->removeByName(scratchName);
            throw;
        }
        sheets->removeByName(scratchName);
    }
};

class TFont : public IDispatch {
public:
    explicit TFont(Reference<beans::XPropertySet> p) : FProps(std::move(p)) {}
    QString TypeName() const override { return QStringLiteral("Font"); }
    OleVariant Invoke(Kind k, const QString& n, const OleArgs&, const OleVariant& v) override
    {
        return Guarded(QStringLiteral("Font.") + n, [&]() -> OleVariant {
            if (k == Kind::Put) ForgetBlock();
            if (Is(n, "Size")) {
                if (k == Kind::Put) {
                    const double size = v.ToDouble();
                    if (!(size >= 1 && size <= 409)) throw EOleError(QStringLiteral("Unable to set the Size property of the Font class"));
                    FProps->setPropertyValue("CharHeight", Any(float(size)));
                    return {};
                }
                float h = 0;
                FProps->getPropertyValue("CharHeight") >>= h;
                return OleVariant(double(h));
            }
            if (Is(n, "Bold")) {
                if (k == Kind::Put) {
                    FProps->setPropertyValue("CharWeight", Any(v.ToBool() ? awt::FontWeight::BOLD : awt::FontWeight::NORMAL));
                    return {};
                }
                float w = 0;
                FProps->getPropertyValue("CharWeight") >>= w;
                return OleVariant(w > awt::FontWeight::NORMAL);
            }
            if (Is(n, "Name")) {
                if (k == Kind::Put) return FProps->setPropertyValue("CharFontName", Any(OU(v.ToString()))), OleVariant();
                rtl::OUString s;
                FProps->getPropertyValue("CharFontName") >>= s;
                return OleVariant(QS(s));
            }
            ole::UnknownMember(this, n);
        });
    }

private:
    Reference<beans::XPropertySet> FProps;
};

class TInterior : public IDispatch {
public:
    explicit TInterior(Reference<beans::XPropertySet> p) : FProps(std::move(p)) {}
    QString TypeName() const override { return QStringLiteral("Interior"); }
    OleVariant Invoke(Kind k, const QString& n, const OleArgs&, const OleVariant& v) override
    {
        return Guarded(QStringLiteral("Interior.") + n, [&]() -> OleVariant {
            if (k == Kind::Put) ForgetBlock();
            if (Is(n, "ColorIndex")) {
                if (k == Kind::Put) {
                    const int i = v.ToInt();
                    if (i == xlColorIndexNone || i == xlColorIndexAutomatic) SetFill(-1);
                    else if (i >= 1 && i <= 56) SetFill(kPalette[i - 1]);
                    else throw EOleError(QStringLiteral("Unable to set the ColorIndex property of the Interior class"));
                    return {};
                }
                const sal_Int32 c = Fill();
                if (c < 0) return OleVariant(xlColorIndexNone);
                for (int i = 0; i < 56; ++i)
                    if (kPalette[i] == c) return OleVariant(i + 1);
                return OleVariant(xlColorIndexNone);
            }
            if (Is(n, "Color")) {
                // The automation colour is blue, green, red from the high byte down.
                if (k == Kind::Put) {
                    const qint64 bgr = qint64(v.ToDouble());
                    SetFill(sal_Int32(((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF)));
                    return {};
                }
                const sal_Int32 c = Fill();
                if (c < 0) return OleVariant(0xFFFFFF);
                return OleVariant(int(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF)));
            }
            ole::UnknownMember(this, n);
        });
    }

private:
    Reference<beans::XPropertySet> FProps;
    void SetFill(sal_Int32 rgb)
    {
        if (rgb < 0) {
            FProps->setPropertyValue("IsCellBackgroundTransparent", Any(true));
            return;
        }
        FProps->setPropertyValue("CellBackColor", Any(rgb));
        FProps->setPropertyValue("IsCellBackgroundTransparent", Any(false));
    }
    sal_Int32 Fill() const
    {
        bool transparent = true;
        FProps->getPropertyValue("IsCellBackgroundTransparent") >>= transparent;
        if (transparent) return -1;
        sal_Int32 c = -1;
        FProps->getPropertyValue("CellBackColor") >>= c;
        return c;
    }
};

IDispatchPtr TRange::MakeFont() { return std::make_shared<TFont>(Props()); }
IDispatchPtr TRange::MakeInterior() { return std::make_shared<TInterior>(Props()); }

class TWorksheet : public IDispatch {
public:
    TWorksheet(Reference<sheet::XSpreadsheetDocument> doc, Reference<sheet::XSpreadsheet> sheet)
        : FDoc(std::move(doc)), FSheet(std::move(sheet)) {}
    QString TypeName() const override { return QStringLiteral("Worksheet"); }
    OleVariant Invoke(Kind k, const QString& n, const OleArgs& a, const OleVariant& v) override
    {
        return Guarded(QStringLiteral("Worksheet.") + n, [&]() -> OleVariant {
            if (Is(n, "Cells")) {
                if (a.empty()) return Range({1, 1, kMaxRows, kMaxCols}, k, v);
                NeedArgs(this, n, a, 2, 2);
                const int r = a[0].ToInt(), c = a[1].ToInt();
                if (r < 1 || r > kMaxRows || c < 1 || c > kMaxCols)
                    throw EOleError(QStringLiteral("Cells(%1, %2): no such cell").arg(r).arg(c));
                return Range({r, c, r, c}, k, v);
            }
            if (Is(n, "Range")) {
                NeedArgs(this, n, a, 1, 2);
                TArea area = AreaOf(a[0]);
                if (a.size() == 2) {
                    const TArea b = AreaOf(a[1]);
                    area = {std::min(area.R1, b.R1), std::min(area.C1, b.C1), std::max(area.R2, b.R2), std::max(area.C2, b.C2)};
                }
                return Range(area, k, v);
            }
            if (Is(n, "Name")) {
                Reference<container::XNamed> named(FSheet, UNO_QUERY_THROW);
                if (k == Kind::Put) return named->setName(OU(v.ToString())), OleVariant();
                return OleVariant(QS(named->getName()));
            }
            ole::UnknownMember(this, n);
        });
    }

private:
    Reference<sheet::XSpreadsheetDocument> FDoc;
    Reference<sheet::XSpreadsheet> FSheet;

    // Cells(...) := value and Range(...) := value put the range's value.
    OleVariant Range(const TArea& area, Kind k, const OleVariant& v)
    {
        auto range = std::make_shared<TRange>(FDoc, FSheet, area);
        if (k == Kind::Put) {
            range->Invoke(Kind::Put, QStringLiteral("Value"), {}, v);
            return {};
        }
        return OleVariant(IDispatchPtr(range));
    }

    TArea AreaOf(const OleVariant& x) const
    {
        if (auto* r = dynamic_cast<TRange*>(x.Dispatch())) {
            if (r->Sheet() != FSheet) throw EOleError(QStringLiteral("Method Range of Worksheet failed: a cell of another sheet"));
            return r->Area();
        }
        if (x.IsDispatch() || x.IsArray()) ole::BadArguments(this, QStringLiteral("Range"));
        // An address such as "A1" or "B2:D10".
        const QString text = x.ToString().trimmed();
        Reference<sheet::XCellRangeAddressable> addr(FSheet->getCellRangeByName(OU(text)), UNO_QUERY);
        if (!addr.is()) throw EOleError(QStringLiteral("Method Range of Worksheet failed: \"%1\"").arg(text));
        const table::CellRangeAddress ra = addr->getRangeAddress();
        return {int(ra.StartRow) + 1, int(ra.StartColumn) + 1, int(ra.EndRow) + 1, int(ra.EndColumn) + 1};
    }
};

class TWorksheets : public IDispatch {
public:
    explicit TWorksheets(Reference<sheet::XSpreadsheetDocument> doc) : FDoc(std::move(doc)) {}
    QString TypeName() const override { return QStringLiteral("Sheets"); }
    OleVariant Invoke(Kind k, const QString& n, const OleArgs& a, const OleVariant&) override
    {
        return Guarded(QStringLiteral("Sheets.") + n, [&]() -> OleVariant {
            Reference<container::XIndexAccess> byIndex(FDoc->getSheets(), UNO_QUERY_THROW);
            if (Is(n, "Count")) return OleVariant(int(byIndex->getCount()));
            if (Is(n, "Item")) {
                NeedArgs(this, n, a, 1, 1);
                return Item(a[0]);
            }
            ole::UnknownMember(this, n);
        });
    }
    OleVariant Item(const OleVariant& which) const
    {
        Reference<container::XIndexAccess> byIndex(FDoc->getSheets(), UNO_QUERY_THROW);
        Reference<sheet::XSpreadsheet> sheet;
        if (which.Value().typeId() == QMetaType::QString) {
            const rtl::OUString name = OU(which.ToString());
            if (!FDoc->getSheets()->hasByName(name)) throw EOleError(QStringLiteral("Subscript out of range: sheet \"%1\"").arg(which.ToString()));
            sheet.set(FDoc->getSheets()->getByName(name), UNO_QUERY_THROW);
        } else {
            const int i = which.ToInt();
            if (i < 1 || i > byIndex->getCount()) throw EOleError(QStringLiteral("Subscript out of range: sheet %1").arg(i));
            sheet.set(byIndex->getByIndex(i - 1), UNO_QUERY_THROW);
        }
        return OleVariant(IDispatchPtr(std::make_shared<TWorksheet>(FDoc, sheet)));
    }

private:
    Reference<sheet::XSpreadsheetDocument> FDoc;
};

class TWorkbook : public IDispatch, public TOfficeDocument {
public:
    explicit TWorkbook(Reference<lang::XComponent> doc) : FComp(doc), FDoc(doc, UNO_QUERY_THROW) {}
    QString TypeName() const override { return QStringLiteral("Workbook"); }
    Reference<lang::XComponent> Component() const override { return FComp; }
    OleVariant Invoke(Kind k, const QString& n, const OleArgs& a, const OleVariant&) override
    {
        return Guarded(QStringLiteral("Workbook.") + n, [&]() -> OleVariant {
            if (Is(n, "WorkSheets") || Is(n, "Sheets")) {
                auto sheets = std::make_shared<TWorksheets>(FDoc);
                if (a.empty()) return OleVariant(IDispatchPtr(sheets));
                NeedArgs(this, n, a, 1, 1);
                return sheets->Item(a[0]);
            }
            if (Is(n, "Close")) return ForgetBlock(), CloseDocument(this, FComp, a), OleVariant();
            if (Is(n, "FullName")) return OleVariant(DocumentFileName(FComp));
            if (Is(n, "RemoveMacros")) return NeedArgs(this, n, a, 0, 0), RemoveMacros(FComp), OleVariant();
            ole::UnknownMember(this, n);
        });
    }

private:
    Reference<lang::XComponent> FComp;
    Reference<sheet::XSpreadsheetDocument> FDoc;
};

class TWorkbooks : public TOfficeDocuments {
public:
    QString TypeName() const override { return QStringLiteral("Workbooks"); }

protected:
    QString Factory() const override { return QStringLiteral("private:factory/scalc"); }
    bool Takes(const Reference<lang::XComponent>& doc) const override
    {
        return Reference<sheet::XSpreadsheetDocument>(doc, UNO_QUERY).is();
    }
    IDispatchPtr Wrap(const Reference<lang::XComponent>& doc) const override { return std::make_shared<TWorkbook>(doc); }
};

class TExcelApplication : public TOfficeApplication, public std::enable_shared_from_this<TExcelApplication> {
public:
    TExcelApplication() : TOfficeApplication(QStringLiteral("LibreOffice Calc")) {}
    OleVariant Invoke(Kind k, const QString& n, const OleArgs& a, const OleVariant& v) override
    {
        return Guarded(QStringLiteral("Application.") + n, [&]() -> OleVariant {
            if (Is(n, "Application")) return OleVariant(IDispatchPtr(shared_from_this()));
            if (Is(n, "EnableEvents")) {
                if (k == Kind::Put) return SetEventsEnabled(v.ToBool()), OleVariant();
                return OleVariant(EventsEnabled());
            }
            if (Is(n, "WorkBooks")) {
                Desktop();   // the connection is still there
                return OleVariant(IDispatchPtr(std::make_shared<TWorkbooks>()));
            }
            // Showing (storing, headless), running a macro or quitting may
            // change or let go of the sheets.
            ForgetBlock();
            return SharedMember(k, n, a, v);
        });
    }
};

}  // namespace

IDispatchPtr NewExcelApplication() { return std::make_shared<TExcelApplication>(); }

}  // namespace unooffice
