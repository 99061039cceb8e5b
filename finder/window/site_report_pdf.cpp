#include "finder/window/site_report_pdf.h"

#include "devicelist/site_report.h"
#include "finder/window/whole_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QTextOption>

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal MarginMm = 15;
constexpr qreal TextPoints = 8.5;
constexpr qreal HeadingPoints = 12;
constexpr qreal TitlePoints = 16;
constexpr qreal PaddingPoints = 2.5;
// Text is laid out in plain lines, wrapped anywhere rather than run past
// its cell; QPainter never reads it as markup.
constexpr int Wrapped = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextWrapAnywhere;

// Latin text in the system's sans face; Chinese, Japanese and Korean in a
// face that has them where the system has one, so that device names are
// not drawn as boxes. Latin text never depends on that face.
QFont reportFont(qreal points, bool bold = false)
{
    // The face fontconfig gives for "sans-serif": a list of families takes
    // only faces by their own names.
    QFont font(u"sans-serif"_s);
    font.setStyleHint(QFont::SansSerif);
    QStringList families{QFontInfo(font).family()};
    for (const auto system : {QFontDatabase::SimplifiedChinese, QFontDatabase::TraditionalChinese,
                              QFontDatabase::Japanese, QFontDatabase::Korean}) {
        const QStringList cjk = QFontDatabase::families(system);
        if (!cjk.isEmpty() && !families.contains(cjk.constFirst()))
            families << cjk.constFirst();
    }
    font.setFamilies(families);
    // No ligatures: text read back from the PDF says "differ", not "di\ufb00er".
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Lays the report out page by page with QPainter: linear in its rows, where
// a QTextDocument of thousands of table rows takes minutes to print.
class Pages
{
public:
    explicit Pages(QPdfWriter &writer)
        : m_writer(writer)
        , m_painter(&writer)
        , m_unit(writer.resolution() / 72.0)
        , m_text(reportFont(TextPoints))
        , m_bold(reportFont(TextPoints, true))
        , m_textMetrics(m_text, &writer)
        , m_boldMetrics(m_bold, &writer)
        , m_width(writer.width())
        , m_bottom(writer.height() - m_textMetrics.height() * 2)
    {
    }

    bool isActive() const { return m_painter.isActive(); }

    void paragraph(const QString &text, const QFont &font, qreal spaceBefore)
    {
        // A sentence such as the summary breaks between its words; only a
        // word longer than the line breaks inside it.
        QTextOption wrapped(Qt::AlignLeft | Qt::AlignTop);
        wrapped.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_y += spaceBefore * m_unit;
        m_painter.setFont(font);
        const QRectF bounds = m_painter.boundingRect(QRectF(0, 0, m_width, m_bottom), text, wrapped);
        room(bounds.height());
        m_painter.setFont(font);   // a new page drew its number in another
        m_painter.drawText(QRectF(0, m_y, m_width, bounds.height()), text, wrapped);
        m_y += bounds.height();
    }

    void table(const SiteReport::Table &table)
    {
        const QList<qreal> widths = columnWidths(table);
        const qreal headerHeight = rowHeight(table.header, widths, m_boldMetrics);
        // The title is not left alone at the foot of a page.
        const QFont heading = reportFont(HeadingPoints, true);
        room(QFontMetricsF(heading, &m_writer).height() + headerHeight * 2 + 10 * m_unit);
        paragraph(table.title, heading, 10);
        if (table.rows.isEmpty()) {
            paragraph(SiteReport::tr("None."), m_text, 2);
            return;
        }
        m_y += 3 * m_unit;
        drawRow(table.header, widths, headerHeight, true);
        for (const QStringList &row : table.rows) {
            const qreal height = rowHeight(row, widths, m_textMetrics);
            if (m_y + height > m_bottom) {
                newPage();
                drawRow(table.header, widths, headerHeight, true);
            }
            drawRow(row, widths, height, false);
        }
    }

    void finish()
    {
        drawPageNumber();
        m_painter.end();
    }

private:
    void room(qreal height)
    {
        if (m_y > 0 && m_y + height > m_bottom)
            newPage();
    }

    void newPage()
    {
        drawPageNumber();
        m_writer.newPage();
        ++m_page;
        m_y = 0;
    }

    void drawPageNumber()
    {
        m_painter.setFont(m_text);
        m_painter.setPen(Qt::black);
        m_painter.drawText(QRectF(0, m_writer.height() - m_textMetrics.height(), m_width, m_textMetrics.height()),
                           Qt::AlignRight | Qt::AlignBottom, QLocale().toString(m_page));
    }

    // Each column as wide as its widest text; where the page is too narrow
    // for them all, the widest share what the narrow ones leave. The page's
    // width is spread over them in proportion.
    QList<qreal> columnWidths(const SiteReport::Table &table) const
    {
        const qreal padding = 2 * PaddingPoints * m_unit;
        QList<qreal> natural;
        for (const QString &header : table.header)
            natural << m_boldMetrics.horizontalAdvance(header) + padding;
        for (const QStringList &row : table.rows) {
            for (qsizetype c = 0; c < natural.size(); ++c)
                natural[c] = std::max(natural[c], m_textMetrics.horizontalAdvance(row.value(c)) + padding);
        }
        QList<qreal> widths = natural;
        QList<qsizetype> wide(natural.size());
        std::iota(wide.begin(), wide.end(), 0);
        qreal left = m_width;
        // Water filling: a column narrower than its share keeps its width.
        for (bool settled = false; !settled && !wide.isEmpty();) {
            settled = true;
            const qreal share = left / qreal(wide.size());
            for (auto c = wide.begin(); c != wide.end();) {
                if (natural[*c] <= share) {
                    left -= natural[*c];
                    c = wide.erase(c);
                    settled = false;
                } else {
                    ++c;
                }
            }
            if (settled) {
                for (const qsizetype c : std::as_const(wide))
                    widths[c] = share;
            }
        }
        const qreal total = std::accumulate(widths.cbegin(), widths.cend(), qreal(0));
        for (qreal &width : widths)
            width *= m_width / total;
        return widths;
    }

    qreal rowHeight(const QStringList &cells, const QList<qreal> &widths, const QFontMetricsF &metrics) const
    {
        const qreal padding = 2 * PaddingPoints * m_unit;
        qreal height = metrics.height();
        for (qsizetype c = 0; c < widths.size(); ++c) {
            const QString &text = cells.value(c);
            // Most cells fit on one line; only the others are wrapped to measure them.
            if (metrics.horizontalAdvance(text) + padding > widths[c]) {
                const QRectF bounds = metrics.boundingRect(QRectF(0, 0, widths[c] - padding, m_bottom), Wrapped, text);
                height = std::max(height, bounds.height());
            }
        }
        return height + PaddingPoints * m_unit;
    }

    void drawRow(const QStringList &cells, const QList<qreal> &widths, qreal height, bool header)
    {
        const qreal padding = PaddingPoints * m_unit;
        m_painter.setFont(header ? m_bold : m_text);
        qreal x = 0;
        for (qsizetype c = 0; c < widths.size(); ++c) {
            const QRectF cell(x, m_y, widths[c], height);
            if (header)
                m_painter.fillRect(cell, QColor(0xe8, 0xe8, 0xe8));
            m_painter.setPen(QPen(QColor(0x99, 0x99, 0x99), 0.5 * m_unit));
            m_painter.drawRect(cell);
            m_painter.setPen(Qt::black);
            m_painter.drawText(cell.adjusted(padding, padding / 2, -padding, 0), Wrapped, cells.value(c));
            x += widths[c];
        }
        m_y += height;
    }

    QPdfWriter &m_writer;
    QPainter m_painter;
    const qreal m_unit;   // device units per point
    const QFont m_text;
    const QFont m_bold;
    const QFontMetricsF m_textMetrics;
    const QFontMetricsF m_boldMetrics;
    const qreal m_width;
    const qreal m_bottom;   // above the page number
    qreal m_y = 0;
    int m_page = 1;
};

} // namespace

namespace SiteReportPdf {

QPageSize::PageSizeId pageSize(const QLocale &locale)
{
    // The Americas' Letter countries besides the US, and the Philippines.
    const QList<QLocale::Territory> letter{QLocale::Canada,   QLocale::Mexico,      QLocale::Chile,
                                           QLocale::Colombia, QLocale::Venezuela,   QLocale::Philippines,
                                           QLocale::PuertoRico};
    if (locale.measurementSystem() == QLocale::ImperialUSSystem || letter.contains(locale.territory()))
        return QPageSize::Letter;
    return QPageSize::A4;
}

QString write(const SiteReport &report, const QString &path)
{
    // Drawn in memory, then written whole: the file is never left half a report.
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(pageSize(QLocale())));
        writer.setPageMargins(QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter);
        writer.setTitle(report.title);
        writer.setCreator(QCoreApplication::applicationName());
        Pages pages(writer);
        if (!pages.isActive())
            return SiteReport::tr("The PDF could not be started.");
        pages.paragraph(report.title, reportFont(TitlePoints, true), 0);
        for (qsizetype i = 0; i < report.facts.size(); ++i) {
            const auto &[label, value] = report.facts[i];
            pages.paragraph(u"%1: %2"_s.arg(label, value), reportFont(TextPoints), i == 0 ? 8 : 1);
        }
        pages.paragraph(report.summary, reportFont(HeadingPoints, true), 10);
        for (const SiteReport::Table &table : report.tables)
            pages.table(table);
        pages.finish();
    }
    return writeWholeFile(path, pdf);
}

} // namespace SiteReportPdf
