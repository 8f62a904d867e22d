// Creation of the window's controls and menus, and start-up.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

#include "viewer/display/band_view.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"
#include "viewer/display/live_directory.h"
#include "viewer/display/pooled_coherence_view.h"
#include "viewer/display/reference_curves_view.h"
#include "viewer/display/temp_directory.h"
#include "viewer/display/twips.h"
#include "viewer/display/two_sensor_view.h"
#include "viewer/display/units/units_view.h"
#include "viewer/plots/curve_colours.h"

namespace viewer {

namespace {

constexpr int kClientWidth = 9885, kClientHeight = 6630;

template <typename T>
T* named(T* widget, const QString& name) {
  widget->setObjectName(name);
  return widget;
}

QString indexed(const char* name, int i) {
  return QStringLiteral("%1(%2)").arg(name).arg(i);
}

QScrollBar* verticalBar(QWidget* parent, const QString& name, int min, int max, int value) {
  auto* bar = named(new QScrollBar(Qt::Vertical, parent), name);
  bar->setRange(min, max);
  bar->setValue(value);
  bar->setPageStep(1);
  return bar;
}

// The desktop's keys for `action`, or `fallback` on a desktop that has none for it.
QList<QKeySequence> standardKeys(QKeySequence::StandardKey action, const QKeySequence& fallback) {
  QList<QKeySequence> keys = QKeySequence::keyBindings(action);
  if (keys.isEmpty()) keys << fallback;
  return keys;
}

void setTextColour(QWidget* widget, int bgr) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF));
  widget->setPalette(palette);
}

}  // namespace

Display::Display(const QString& startDir, QWidget* parent)
    : QMainWindow(parent), state_(std::make_unique<analysis::AnalysisState>()) {
  setWindowTitle("PSD display");
  createControls();
  createFrames();
  createMenus();
  referenceCurves = addComponent(std::make_unique<ReferenceCurvesView>(*this));
  campaign = addComponent(std::make_unique<CampaignOpening>(*this, *referenceCurves));
  setTabOrder();
  status_ = named(new QLabel(this), "status");
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  statusBar()->addWidget(status_, 1);
  statusBar()->setSizeGripEnabled(true);
  connectHandlers();
  pooledCoherence = addComponent(std::make_unique<PooledCoherenceView>(*this));
  twoSensor = addComponent(std::make_unique<TwoSensorView>(*this));
  band = addComponent(std::make_unique<BandView>(*this, *pooledCoherence, *twoSensor));
  fillDrives(QDir(startDir).absolutePath());
  Form_Load();
  liveDirectory = addComponent(std::make_unique<LiveDirectory>(*this));
  units = addComponent(std::make_unique<UnitsView>(*this));
}

Display::~Display() {
  // The file list's model still signals while the widgets go, when this window's own part is
  // gone already; the components go first, in the reverse order of their making.
  flb->model()->disconnect(this);
  while (!components_.empty()) components_.pop_back();
}

template <typename Component>
Component* Display::addComponent(std::unique_ptr<Component> component) {
  Component* added = component.get();
  components_.push_back(std::move(component));
  return added;
}

void Display::createControls() {
  auto* client = new QWidget(this);
  client->setObjectName("client");
  // The window's controls are laid out for a small font.
  QFont small = client->font();
  small.setPointSizeF(7.5);
  client->setFont(small);
  setCentralWidget(client);

  for (int i : {1, 0}) {
    vscrohmax[static_cast<std::size_t>(i)] =
        verticalBar(client, indexed("vscrohmax", i), -5000, 5000, 0);
    vscrohmin[static_cast<std::size_t>(i)] =
        verticalBar(client, indexed("vscrohmin", i), -5000, 5000, 0);
  }
  placeInTwips(vscrohmax[1], 9960, 3600, 135, 375);
  placeInTwips(vscrohmin[1], 9960, 5040, 135, 375);
  placeInTwips(vscrohmin[0], 2760, 1440, 135, 375);
  placeInTwips(vscrohmax[0], 2760, 0, 135, 375);
  for (QScrollBar* bar : {vscrohmax[0], vscrohmax[1], vscrohmin[0], vscrohmin[1]}) {
    bar->setEnabled(false);
    bar->hide();
  }
  vscpsdmax = verticalBar(client, "vscpsdmax", -20, 10, 4);
  placeInTwips(vscpsdmax, 2760, 1800, 135, 375);
  vscpsdmin = verticalBar(client, "vscpsdmin", -20, 10, -9);
  placeInTwips(vscpsdmin, 2760, 6240, 135, 375);

  const char* components[] = {"z", "n", "e", "all"};
  for (int i = 0; i < 4; ++i) {
    ofile[static_cast<std::size_t>(i)] =
        named(new QRadioButton(components[i], client), indexed("ofile", i));
  }
  placeInTwips(ofile[3], 2160, 1560, 495, 250);
  placeInTwips(ofile[2], 1680, 1560, 495, 250);
  placeInTwips(ofile[1], 1200, 1560, 615, 250);
  placeInTwips(ofile[0], 720, 1560, 615, 250);
  ofile[0]->setChecked(true);
  chcsw = named(new QCheckBox(".csw", client), "chcsw");
  placeInTwips(chcsw, 0, 1560, 735, 255);

  Timer1 = named(new QTimer(this), "Timer1");
  Timer1->setInterval(250);

  flb = named(new QListWidget(client), "flb");
  placeInTwips(flb, 0, 1800, 2655, 1260);
  dirlb = named(new QListWidget(client), "dirlb");
  placeInTwips(dirlb, 0, 360, 2655, 1215);
  drilb = named(new QComboBox(client), "drilb");
  placeInTwips(drilb, 0, 0, 2655, 315);

  const struct {
    ZEPLLib::ZEPL** plot;
    const char* name;
    const char* title;
    int left, top, width, height, axisType;
    double xMax, yMin;
  } plots[] = {
      {&ZEPL1, "ZEPL1", "power spectral density (mum^2/Hz) versus frequency (Hz)", 2880, 1800, 6975,
       4815, 3, 1500, 0},
      {&ZEPL2, "ZEPL2", "coherence", 2880, 0, 6975, 1815, 2, 1500, -1},
      {&ZEPL3, "ZEPL3", "raw data (mum/s) versus time (s)", 10080, 3600, 3615, 1815, 0, 12000, 0},
      {&ZEPL4, "ZEPL4", "rms value (mum) versus lower cut frequency (Hz)", 10080, 1800, 3615, 1815,
       3, 1500, 0},
      {&ZEPL5, "ZEPL5", "displacement data (mum) versus time(s)", 10080, 0, 3615, 1815, 0, 60, 0},
  };
  for (const auto& p : plots) {
    auto* plot = named(new ZEPLLib::ZEPL(client), p.name);
    plot->setCaption(p.title);
    plot->setAxisType(p.axisType);
    plot->setXMin(0);
    plot->setXMax(p.xMax);
    plot->setYMin(p.yMin);
    plot->setYMax(1);
    placeInTwips(plot, p.left, p.top, p.width, p.height);
    *p.plot = plot;
  }
  ZEPL5->hide();
  for (ZEPLLib::ZEPL* plot : {ZEPL1, ZEPL2, ZEPL3, ZEPL4, ZEPL5}) {
    plot->setCurveNames(curveNamesByColour());
  }
}

void Display::createFrames() {
  QWidget* client = centralWidget();
  const auto frame = [client](const char* name, const char* caption, int l, int t, int w, int h) {
    auto* box = named(new QGroupBox(caption, client), name);
    placeInTwips(box, l, t, w, h);
    return box;
  };
  frrückFFT = frame("frrückFFT", "back FFT with cut frequencies", 0, 5760, 2655, 855);
  fzähler = frame("fzähler", "average counter", 10080, 5520, 2655, 615);
  fzähler->setToolTip("das Veto nimmt den ersten Frequenzpunkt eines Datensatz");
  fdarstellung = frame("fdarstellung", "channel selection", 0, 3000, 2655, 855);
  floop = frame("floop", "loop", 0, 4440, 2655, 1335);
  fref = frame("fref", "reference", 0, 3840, 2655, 615);

  orück[1] = named(new QRadioButton("displacement", frrückFFT), "orück(1)");
  placeInTwips(orück[1], 1080, 600, 1455, 195);
  orück[1]->setChecked(true);
  orück[0] = named(new QRadioButton("velocity", frrückFFT), "orück(0)");
  placeInTwips(orück[0], 120, 600, 975, 195);
  tf2 = named(new QLineEdit("100", frrückFFT), "tf2");
  placeInTwips(tf2, 1680, 240, 375, 285);
  tf1 = named(new QLineEdit("0.1", frrückFFT), "tf1");
  placeInTwips(tf1, 720, 240, 375, 285);
  crück = named(new QPushButton("start", frrückFFT), "crück");
  placeInTwips(crück, 120, 240, 495, 255);
  crück->setToolTip("when viewing files on " + tempDirectory() +
                    " a file \"backtransformation.csv\" containing the results is written");
  Label2 = named(new QLabel(" Hz", frrückFFT), "Label2");
  placeInTwips(Label2, 2040, 280, 255, 255);
  Label1 = named(new QLabel("< f >", frrückFFT), "Label1");
  placeInTwips(Label1, 1080, 260, 495, 255);
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setFont(QFont("MS Sans Serif", 9.75));

  lkv = named(new QLabel(fzähler), "lkv");
  placeInTwips(lkv, 1320, 240, 1215, 255);
  lk = named(new QLabel(fzähler), "lk");
  placeInTwips(lk, 120, 240, 1215, 255);
  for (QLabel* counter : {lk, lkv}) {
    // The frame lies beyond the start client area, and a larger window's plots reach under it:
    // the counters show in the status bar at every size instead, readable and clear of every
    // plot, wide enough for the largest count; the empty frame stays hidden where it is.
    counter->setMinimumWidth(counter->width());
    counter->setToolTip(fzähler->toolTip());
    statusBar()->addPermanentWidget(counter);
  }
  fzähler->hide();

  const struct {
    int index, left, top, colour;
    const char* caption;
  } boxes[] = {{3, 1320, 480, kReference2, "reference 2"},
               {1, 120, 480, -1, "channel 2"},  // the default text colour
               {2, 1320, 240, kReference1, "reference 1"},
               {0, 120, 240, kChannel1, "channel 1"}};
  for (const auto& b : boxes) {
    auto* box = named(new QCheckBox(b.caption, fdarstellung), indexed("ch", b.index));
    placeInTwips(box, b.left, b.top, 1215, 255);
    box->setChecked(true);
    if (b.colour >= 0) setTextColour(box, b.colour);
    ch[static_cast<std::size_t>(b.index)] = box;
  }

  hsstop = named(new QScrollBar(Qt::Horizontal, floop), "hsstop");
  placeInTwips(hsstop, 2040, 600, 495, 255);
  hsstop->setRange(5, 1000);
  hsstop->setSingleStep(5);
  hsstop->setPageStep(10);
  hsstop->setValue(60);
  chstop = named(new QCheckBox("stop after 60 files", floop), "chstop");
  placeInTwips(chstop, 120, 600, 1935, 255);
  chstop->setChecked(true);
  tausgabe = named(new QLineEdit(tempDirectory() + "/av.csv", floop), "tausgabe");
  placeInTwips(tausgabe, 960, 960, 1575, 285);
  cspeichern = named(new QPushButton("save", floop), "cspeichern");
  placeInTwips(cspeichern, 120, 960, 735, 255);
  cloop = named(new QPushButton("start", floop), "cloop");
  placeInTwips(cloop, 120, 240, 735, 255);
  chav = named(new QCheckBox("with averaging", floop), "chav");
  placeInTwips(chav, 960, 240, 1455, 255);
  cref = named(new QPushButton("save", fref), "cref");
  placeInTwips(cref, 120, 240, 735, 255);
  lref = named(new QLabel("no", fref), "lref");
  placeInTwips(lref, 840, 240, 1695, 255);
  lref->setAlignment(Qt::AlignCenter);
}

void Display::createMenus() {
  QMenuBar* bar = menuBar();
  const auto menu = [bar](const char* name, const char* caption) {
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(name);
    return m;
  };
  const auto item = [this](QMenu* m, const char* name, const char* caption, bool checkable,
                           bool checked) {
    QAction* a = m->addAction(caption);
    a->setObjectName(name);
    a->setCheckable(checkable);
    a->setChecked(checked);
    return a;
  };
  mdisplay = menu("mdisplay", "display");
  mdispcoh = item(mdisplay, "mdispcoh", "coherence", true, true);
  mdispraw = item(mdisplay, "mdispraw", "raw data", true, false);
  mdispdisp = item(mdisplay, "mdispdisp", "back FFT result", true, false);
  mdispdisp->setEnabled(false);
  mcpace = item(mdisplay, "mcpace", "", false, false);
  mcpace->setEnabled(false);
  mdisppsd = item(mdisplay, "mdisppsd", "PSD", true, true);
  mintegral = item(mdisplay, "mintegral", "integral view", true, false);
  mpsd = menu("mpsd", "PSD scale");
  mlinf = item(mpsd, "mlinf", "frequency linear", true, false);
  mlinamp = item(mpsd, "mlinamp", "amplitude linear", true, false);
  mautoscaleamp = item(mpsd, "mautoscaleamp", "autoscale amplitude", true, false);
  mraw = menu("mraw", "raw data scale");
  mcal1 = item(mraw, "mcal1", "channel 1 -> CMG-6T", true, false);
  mcal2 = item(mraw, "mcal2", "channel 2 -> CMG-6T", true, false);
  mrawauto = item(mraw, "mrawauto", "autoscale", true, true);
  mrawoffset = item(mraw, "mrawoffset", "subtract DC offset", true, true);
  mcoherence = menu("mcoherence", "coherence");
  mcohreal = item(mcoherence, "mcohreal", "real", true, true);
  mcohimag = item(mcoherence, "mcohimag", "imaginary", true, false);
  mcohabs = item(mcoherence, "mcohabs", "abs", true, false);
  mrename = menu("mrename", "rename file into");
  mfilename = item(mrename, "mfilename", "filename", false, false);
  mprint = bar->addAction("print");
  mprint->setObjectName("mprint");
  mprint->setShortcuts(standardKeys(QKeySequence::Print, QKeySequence(Qt::CTRL | Qt::Key_P)));
  mexit = bar->addAction("exit");
  mexit->setObjectName("mexit");
  mexit->setShortcuts(standardKeys(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));
}

void Display::setTabOrder() {
  // The window's tab order, first to last.
  QWidget* const order[] = {drilb,  dirlb,        flb,          ZEPL1,        fref,       cref,
                            lref,   floop,        chav,         cloop,        cspeichern, tausgabe,
                            chstop, hsstop,       fdarstellung, ch[0],        ch[2],      ch[1],
                            ch[3],  ZEPL2,        fzähler,      lk,           lkv,        ZEPL3,
                            ZEPL4,  ofile[0],     ofile[1],     frrückFFT,    ZEPL5,      crück,
                            tf1,    tf2,          Label1,       orück[0],     orück[1],   ofile[2],
                            chcsw,  ofile[3],     vscrohmax[0], vscrohmin[0], vscpsdmin,  vscpsdmax,
                            Label2, vscrohmin[1], vscrohmax[1]};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    QWidget::setTabOrder(order[i], order[i + 1]);
  }
}

void Display::Form_Load() {
  // Steps 1 and 2: the browser shows the drive's current directory with the start pattern.
  drilb_Change();
  // Step 3: the start sizes, in twips, of the window laid out around the start client area.
  resize(toPixels(kClientWidth), menuBar()->sizeHint().height() + toPixels(kClientHeight) +
                                     statusBar()->sizeHint().height());
  state_->startWidth = static_cast<std::int16_t>(toTwips(width()));
  state_->startHeight = static_cast<std::int16_t>(toTwips(height()));
  state_->startPlotWidth = static_cast<std::int16_t>(toTwips(ZEPL1->width()));
  state_->startPlotHeight = static_cast<std::int16_t>(toTwips(ZEPL1->height()));
  // Steps 4 to 6: the hidden plots take the places of their partners.
  ZEPL3->setGeometry(ZEPL2->x(), ZEPL2->y(), ZEPL1->width(), ZEPL3->height());
  ZEPL3->hide();
  ZEPL4->setGeometry(ZEPL1->geometry());
  ZEPL4->hide();
  ZEPL5->setGeometry(ZEPL2->x(), ZEPL2->y(), ZEPL1->width(), ZEPL5->height());
  ZEPL5->hide();
  // Step 7: the PSD range of the limit bars' start values.
  ZEPL1->setYMin(1e-9);
  ZEPL1->setYMax(10000);
  // Step 8: both pairs of raw-data limit bars on one spot.
  vscrohmax[1]->move(vscrohmax[0]->pos());
  vscrohmin[1]->move(vscrohmin[0]->pos());
}

}  // namespace viewer
