#include "viewer/report/report_pdf.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <memory>

#include "datafiles/text_file.h"
#include "viewer/report/report_plot.h"

namespace viewer {

namespace {

constexpr double kMarginMm = 20;
constexpr double kTextPt = 10;
constexpr double kPlotHeight = 330;  // pt, a plot with its legend
constexpr double kGap = 8;           // pt between blocks

// The pages as they fill: a cursor running down the page, a new page when a block does not fit.
// Coordinates are points (the writer's resolution is 72 dpi).
class Pages {
 public:
  explicit Pages(QPdfWriter& writer) : writer_(writer), painter_(&writer) {
    painter_.setFont(textFont());
    const QRectF page = writer.pageLayout().paintRect(QPageLayout::Point);
    width_ = page.width();
    height_ = page.height() - 2 * line();  // the page number's line at the foot
    pageNumber();
  }
  ~Pages() { painter_.end(); }

  QPainter& painter() { return painter_; }
  double width() const { return width_; }
  double line() const { return QFontMetricsF(painter_.font()).height(); }

  // Room for `height` pt on this page, on a new one when not (unless the page is still empty).
  void need(double height) {
    if (y_ > 0 && y_ + height > height_) newPage();
  }
  double take(double height) {
    need(height);
    const double top = y_;
    y_ += height;
    return top;
  }
  void gap(double height = kGap) { y_ = std::min(y_ + height, height_); }
  void newPage() {
    writer_.newPage();
    y_ = 0;
    ++page_;
    pageNumber();
  }

  // `keepWith`: the height of what follows that must stand on the heading's page (a plot).
  void heading(const std::string& text, double size = 14, double keepWith = 0) {
    QFont font = textFont();
    font.setPointSizeF(size);
    font.setBold(true);
    painter_.save();
    painter_.setFont(font);
    const double height = QFontMetricsF(font).height() + 4;
    need(height + std::max(6 * line(), keepWith));  // never alone at the foot of a page
    const double top = take(height);
    painter_.drawText(QRectF(0, top, width_, height), Qt::AlignLeft | Qt::AlignVCenter,
                      QString::fromStdString(text));
    painter_.restore();
  }

  void paragraph(const std::string& text, double after = 4) {
    const QString words = QString::fromStdString(text);
    const int flags = Qt::AlignLeft | Qt::TextWordWrap;
    const QRectF bounds = painter_.boundingRect(QRectF(0, 0, width_, 1e6), flags, words);
    const double top = take(bounds.height());
    painter_.drawText(QRectF(0, top, width_, bounds.height() + 1), flags, words);
    gap(after);
  }

  void table(const ReportTable& table);
  void grid(const ReportGrid& grid);
  void plot(const ReportPlot& plot) {
    // Reference curves alone (a selection taking no record) make no plot worth a page.
    const bool data = std::any_of(plot.curves.begin(), plot.curves.end(),
                                  [](const auto& c) { return !c.reference && !c.points.empty(); });
    if (!data) {
      paragraph(plot.title + ": no record to draw.");
      return;
    }
    const double top = take(kPlotHeight);
    drawReportPlot(painter_, QRectF(0, top, width_, kPlotHeight), plot);
    gap();
  }

 private:
  static QFont textFont() {
    QFont font("DejaVu Sans");
    font.setPointSizeF(kTextPt);
    // No ligatures: "fi" drawn as one glyph would not be found by a search for "definitions".
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
  }
  void pageNumber() {
    painter_.save();
    QFont font = textFont();
    font.setPointSizeF(8);
    painter_.setFont(font);
    painter_.setPen(Qt::darkGray);
    painter_.drawText(QRectF(0, height_ + line(), width_, line()), Qt::AlignRight,
                      QString("page %1").arg(page_));
    painter_.restore();
  }

  QPdfWriter& writer_;
  QPainter painter_;
  double width_ = 0, height_ = 0, y_ = 0;
  int page_ = 1;
};

void Pages::table(const ReportTable& table) {
  if (!table.caption.empty()) paragraph(table.caption);
  const std::size_t columns = table.header.size();
  if (columns == 0) return;
  QFont bold = painter_.font();
  bold.setBold(true);
  std::vector<double> widths(columns, 0);
  const auto measure = [&](const std::vector<std::string>& row, const QFont& font) {
    const QFontMetricsF metrics(font);
    for (std::size_t c = 0; c < columns && c < row.size(); ++c) {
      widths[c] =
          std::max(widths[c], metrics.horizontalAdvance(QString::fromStdString(row[c])) + 10);
    }
  };
  measure(table.header, bold);
  for (const auto& row : table.rows) measure(row, painter_.font());
  double total = 0;
  for (double w : widths) total += w;
  if (total > width_) {
    for (double& w : widths) w *= width_ / total;  // squeezed, elided below
  }
  const double rowHeight = line() + 3;
  const auto drawRow = [&](const std::vector<std::string>& row, bool header) {
    const double top = take(rowHeight);
    double x = 0;
    QFont font = painter_.font();
    font.setBold(header);
    painter_.save();
    painter_.setFont(font);
    for (std::size_t c = 0; c < columns; ++c) {
      const QString text = c < row.size()
                               ? QFontMetricsF(font).elidedText(QString::fromStdString(row[c]),
                                                                Qt::ElideRight, widths[c] - 6)
                               : QString();
      // The first column names the row; the others hold numbers, aligned right.
      const int align = (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
      painter_.drawText(QRectF(x + 3, top, widths[c] - 6, rowHeight), align, text);
      x += widths[c];
    }
    painter_.setPen(QPen(header ? Qt::black : QColor(200, 200, 200), header ? 0.8 : 0.3));
    painter_.drawLine(QPointF(0, top + rowHeight), QPointF(x, top + rowHeight));
    painter_.restore();
  };
  need(rowHeight * std::min<std::size_t>(table.rows.size() + 1, 4));
  drawRow(table.header, true);
  for (const auto& row : table.rows) {
    if (y_ + rowHeight > height_) {
      newPage();
      drawRow(table.header, true);
    }
    drawRow(row, false);
  }
  gap();
}

void Pages::grid(const ReportGrid& grid) {
  static const char* const kDays[kGridDays] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  const double rowHeight = 16;
  need(rowHeight * (kGridDays + 1) + 3 * line());  // the caption with its grid
  if (!grid.caption.empty()) paragraph(grid.caption);
  QFont small = textFont();
  small.setPointSizeF(7);
  const double label = 32;
  const double cell = (width_ - label) / kGridHours;
  const double top = take(rowHeight * (kGridDays + 1) + 4);
  painter_.save();
  painter_.setFont(small);
  for (int h = 0; h < kGridHours; ++h) {
    painter_.drawText(QRectF(label + h * cell, top, cell, rowHeight), Qt::AlignCenter,
                      QString::number(h));
  }
  for (int d = 0; d < kGridDays; ++d) {
    const double y = top + (d + 1) * rowHeight;
    painter_.setPen(Qt::black);
    painter_.drawText(QRectF(0, y, label, rowHeight), Qt::AlignLeft | Qt::AlignVCenter, kDays[d]);
    for (int h = 0; h < kGridHours; ++h) {
      const QRectF box(label + h * cell, y, cell, rowHeight);
      const double p = grid.percent[d][h];
      if (std::isfinite(p)) {
        // From red (0 %) through yellow to green (100 %), light enough for black digits.
        const double t = std::clamp(p / 100, 0.0, 1.0);
        const QColor colour = QColor::fromHsvF(static_cast<float>(t / 3), 0.45f, 1.0f);
        painter_.fillRect(box, colour);
        painter_.drawText(box, Qt::AlignCenter, QString::number(std::lround(p)));
      }
      painter_.setPen(QPen(QColor(180, 180, 180), 0.3));
      painter_.drawRect(box);
      painter_.setPen(Qt::black);
    }
  }
  painter_.restore();
  gap();
}

void list(Pages& pages, const ReportList& list, const std::string& none) {
  if (list.items.empty()) {
    pages.paragraph(none);
    return;
  }
  // Wrapped, not cut: a path or a message is read in full.
  for (const std::string& item : list.items) pages.paragraph(item, 1);
  if (list.more > 0) pages.paragraph("and " + std::to_string(list.more) + " more");
  pages.gap();
}

void layOut(Pages& pages, const ReportDocument& d) {
  pages.heading(d.title, 18);
  pages.gap();
  for (const auto& [caption, text] : d.facts) pages.paragraph(caption + ": " + text);
  pages.gap();
  pages.heading("Percentiles", 14, kPlotHeight);
  pages.plot(d.percentiles);
  pages.heading("Levels exceeded, one-third octaves", 14, d.levels.empty() ? 0 : kPlotHeight);
  if (d.levels.empty()) pages.paragraph(d.levelsMissing);
  for (const ReportPlot& plot : d.levels) pages.plot(plot);
  pages.heading("Compliance with the vibration criteria");
  if (d.compliance.empty() && d.grids.empty()) pages.paragraph(d.levelsMissing);
  for (const ReportTable& table : d.compliance) pages.table(table);
  for (const ReportGrid& grid : d.grids) pages.grid(grid);
  pages.heading("Timeline", 14, kPlotHeight);
  pages.plot(d.timeline);
  pages.heading("Refused records");
  list(pages, d.refused, "No record was refused.");
  pages.heading("Gaps");
  list(pages, d.gaps, "No gap between the records' start times.");
  pages.heading("Definitions");
  for (const std::string& text : d.definitions) pages.paragraph(text);
}

}  // namespace

std::string renderReportPdf(const ReportDocument& document) {
  // Fonts need an application; psd-analyze has none of its own.
  std::unique_ptr<QGuiApplication> application;
  QtMessageHandler previousHandler = nullptr;
  static int argc = 3;
  static char name[] = "psd-analyze", option[] = "-platform", platform[] = "offscreen";
  static char* argv[] = {name, option, platform, nullptr};
  if (!QGuiApplication::instance()) {
    // Its notes on the platform (no runtime directory, ...) are no news to psd-analyze's user.
    previousHandler =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    application = std::make_unique<QGuiApplication>(argc, argv);
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
    writer.setTitle(QString::fromStdString(document.title));
    writer.setCreator("psd-display");
    Pages pages(writer);
    layOut(pages, document);
  }
  if (application) {
    application.reset();
    qInstallMessageHandler(previousHandler);
  }
  return buffer.data().toStdString();
}

std::optional<std::string> writeReportPdf(const std::filesystem::path& path,
                                          const ReportDocument& document) {
  // Found before the report is made, which takes a while for a large campaign.
  if (auto problem = datafiles::cannotBeReplaced(path)) return path.string() + ": " + *problem;
  if (auto failure = datafiles::writeFileAtomically(path, renderReportPdf(document))) {
    return path.string() + ": " + *failure;
  }
  return std::nullopt;
}

}  // namespace viewer
