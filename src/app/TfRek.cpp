#include "app/TfRek.h"

#include "app/Error.h"
#include "app/Startup.h"
#include "app/Version.h"
#include "collect/CollectionAction.h"
#include "collect/CollectionLists.h"
#include "collect/SummaryRebuild.h"
#include "rek2/FileLists.h"
#include "rek2/XmlGeneration.h"
#include "toolkit/grid/DatasetGrid.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdio>

namespace rek2 {

namespace {
// The date pickers show the same pattern as fmt::date.
const QString kPickerFormat = QStringLiteral("dd.MM.yyyy");

QToolButton* speedButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setAutoRaise(false);
    // A speed button never takes the focus: clicking the delete button leaves the
    // summary grid focused.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QDateEdit* datePicker(const QString& name, QWidget* parent)
{
    auto* d = new QDateEdit(parent);
    d->setObjectName(name);
    d->setDisplayFormat(kPickerFormat);
    d->setCalendarPopup(true);
    return d;
}
} // namespace

TfRek::TfRek(const QStringList& arguments, QWidget* parent)
    : QWidget(parent)
    , m_arguments(arguments)
    , m_messages(this)
    , m_ctx(m_session, m_messages)
{
    setObjectName(QStringLiteral("TfRek"));
    buildUi();
    m_messages.setStatusPanel(Panel6, PageControl1);
    CollectionLists::setup(m_ctx);
    dbgZbirni->setDataset(&m_ctx.odsREK2_Zbir);
    dbgNabor->setDataset(&m_ctx.odsNabor);
    installHooks();
    FormCreate();
}

TfRek::~TfRek()
{
    // The grids watch the context's datasets; they go first.
    dbgZbirni->setDataset(nullptr);
    dbgNabor->setDataset(nullptr);
}

// ---------------------------------------------------------------------------------------
// The form

void TfRek::buildUi()
{
    resize(774, 639);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1);

    tsNabor = buildNabor();
    tsPorocila = buildPorocila();
    tsPregled = new QWidget;
    tsPregled->setObjectName(QStringLiteral("tsPregled"));
    tsParams = new QWidget;
    tsParams->setObjectName(QStringLiteral("tsParams"));
    PageControl1->addTab(tsNabor, QStringLiteral("Nabor"));
    PageControl1->addTab(tsPorocila, QStringLiteral("Porocila"));
    PageControl1->addTab(tsPregled, QStringLiteral("Pregled"));
    PageControl1->addTab(tsParams, QStringLiteral("Parametri"));
    connect(PageControl1, &QTabWidget::currentChanged, this, &TfRek::PageControl1Change);

    // The status panel lies on the form, above the page control, outside any layout.
    Panel6 = new QLabel(QStringLiteral("REK2 poročanje"), this);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setFixedSize(185, 41);
    Panel6->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel6->setLineWidth(2);
    Panel6->setAlignment(Qt::AlignCenter);
    Panel6->setWordWrap(true);
    Panel6->setAutoFillBackground(true);
    Panel6->hide();
    Panel6->raise();
}

QWidget* TfRek::buildNabor()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tsNabor"));
    auto* v = new QVBoxLayout(page);

    auto* bar = new QHBoxLayout;
    auto* lOd = new QLabel(QStringLiteral("Datum od"), page);
    dtpDatumOd = datePicker(QStringLiteral("dtpDatumOd"), page);
    lOd->setBuddy(dtpDatumOd);
    auto* lDo = new QLabel(QStringLiteral("Datum do"), page);
    dtpDatumDo = datePicker(QStringLiteral("dtpDatumDo"), page);
    lDo->setBuddy(dtpDatumDo);
    SpeedButton2 = speedButton(QStringLiteral("SpeedButton2"), QStringLiteral("?"), page);
    bNabor = speedButton(QStringLiteral("bNabor"), QStringLiteral("Prenos iz DOG"), page);
    SpeedButton6 = speedButton(QStringLiteral("SpeedButton6"), QStringLiteral("X"), page);
    SpeedButton6->setToolTip(QStringLiteral("Brisanje zbirne in analitike"));
    const QIcon trash = style()->standardIcon(QStyle::SP_TrashIcon);
    if (!trash.isNull()) {
        SpeedButton6->setIcon(trash);
        SpeedButton6->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    SpeedButton6->setEnabled(false);
    bXML = new QPushButton(QStringLiteral("XML"), page);
    bXML->setObjectName(QStringLiteral("bXML"));
    cbXMLZaVseZbirne = new QCheckBox(QStringLiteral("za vse zbirne"), page);
    cbXMLZaVseZbirne->setObjectName(QStringLiteral("cbXMLZaVseZbirne"));

    bar->addWidget(lOd);
    bar->addWidget(dtpDatumOd);
    bar->addSpacing(8);
    bar->addWidget(lDo);
    bar->addWidget(dtpDatumDo);
    bar->addWidget(SpeedButton2);
    bar->addSpacing(16);
    bar->addWidget(bNabor);
    bar->addWidget(SpeedButton6);
    bar->addStretch(1);
    bar->addWidget(bXML);
    bar->addWidget(cbXMLZaVseZbirne);
    v->addLayout(bar);

    auto* split = new QSplitter(Qt::Vertical, page);
    dbgZbirni = new toolkit::DatasetGrid(split);
    dbgZbirni->setObjectName(QStringLiteral("dbgZbirni"));
    dbgNabor = new toolkit::DatasetGrid(split);
    dbgNabor->setObjectName(QStringLiteral("dbgNabor"));
    split->addWidget(dbgZbirni);
    split->addWidget(dbgNabor);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 2);
    v->addWidget(split, 1);

    connect(dtpDatumOd, &QDateEdit::dateChanged, this, &TfRek::dtpDatumOdChange);
    connect(dtpDatumDo, &QDateEdit::dateChanged, this, &TfRek::dtpDatumDoChange);
    connect(SpeedButton2, &QToolButton::clicked, this, &TfRek::SpeedButton2Click);
    connect(bNabor, &QToolButton::clicked, this, &TfRek::bNaborClick);
    connect(SpeedButton6, &QToolButton::clicked, this, &TfRek::SpeedButton6Click);
    connect(bXML, &QPushButton::clicked, this, &TfRek::bXMLClick);
    connect(dbgZbirni, &QAbstractItemView::clicked, this, &TfRek::dbgZbirniCellClick);
    connect(dbgZbirni, &toolkit::DatasetGrid::exited, this, &TfRek::dbgZbirniExit);
    return page;
}

QWidget* TfRek::buildPorocila()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tsPorocila"));
    auto* v = new QVBoxLayout(page);

    auto* bar = new QHBoxLayout;
    bRefreshNeposlana = new QPushButton(QStringLiteral("Osveži"), page);
    bRefreshNeposlana->setObjectName(QStringLiteral("bRefreshNeposlana"));
    bSend = new QPushButton(QStringLiteral("Pošiljanje"), page);
    bSend->setObjectName(QStringLiteral("bSend"));
    bRefreshPoslana = new QPushButton(QStringLiteral("Osveži"), page);
    bRefreshPoslana->setObjectName(QStringLiteral("bRefreshPoslana"));
    bar->addWidget(bRefreshNeposlana);
    bar->addStretch(1);
    bar->addWidget(bSend);
    bar->addStretch(1);
    bar->addWidget(bRefreshPoslana);
    v->addLayout(bar);

    auto* lists = new QHBoxLayout;
    lbNeposlana = new QListWidget(page);
    lbNeposlana->setObjectName(QStringLiteral("lbNeposlana"));
    lbPoslana = new QListWidget(page);
    lbPoslana->setObjectName(QStringLiteral("lbPoslana"));
    lists->addWidget(lbNeposlana);
    lists->addWidget(lbPoslana);
    v->addLayout(lists, 1);

    connect(bRefreshNeposlana, &QPushButton::clicked, this, &TfRek::bRefreshNeposlanaClick);
    connect(bRefreshPoslana, &QPushButton::clicked, this, &TfRek::bRefreshPoslanaClick);
    connect(bSend, &QPushButton::clicked, this, &TfRek::bSendClick);
    page->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(page, &QWidget::customContextMenuRequested, this, &TfRek::tsPorocilaContextPopup);
    return page;
}

void TfRek::installHooks()
{
    m_ctx.attachSummaryGrid = [this](bool attached) { dbgZbirni->setAttached(attached); };
    m_ctx.setActivePage = [this](int index) { setActivePage(index); };
    m_ctx.summaryGridHasFocus = [this] { return dbgZbirni->window()->focusWidget() == dbgZbirni; };
    m_ctx.setDeleteSummaryEnabled = [this](bool enabled) { SpeedButton6->setEnabled(enabled); };
}

// ---------------------------------------------------------------------------------------
// Start and end

void TfRek::FormCreate()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
    }
    m_ctx.settings.kopirano = false;
    setWindowTitle(Version::caption());
    {
        const QSignalBlocker block(PageControl1);
        PageControl1->setCurrentIndex(0);
    }
    const QDate today = QDate::currentDate();
    m_ctx.datumOd = m_ctx.datumDo = today.addDays(-1);
    m_ctx.pregledOd = today.addDays(-31);
    m_ctx.pregledDo = today;
    setPickerDates(m_ctx.datumOd, m_ctx.datumDo);
    Startup(m_ctx, Startup::defaultProgramFolder()).readSettingsFile();
}

void TfRek::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_formShowQueued)
        return;
    m_formShowQueued = true;
    // After the window is on screen, as the first thing of the event loop.
    QTimer::singleShot(0, this, &TfRek::FormShow);
}

void TfRek::FormShow()
{
    const std::optional<Startup::Arguments> args = Startup::arguments(m_arguments);
    if (!args) {
        close();
        return;
    }
    try {
        Startup startup(m_ctx, Startup::defaultProgramFolder());
        if (!startup.logon(args->database, args->user, args->password)) {
            close();
            return;
        }
        startup.readDatabaseSettings();
    } catch (const Error& e) {
        GuiMessages::showError(this, e.message());
        close();
        return;
    } catch (const std::exception& e) {
        GuiMessages::showError(this, QString::fromLocal8Bit(e.what()));
        close();
        return;
    }
    m_ready = true;

    const QString shot = qEnvironmentVariable("REK2_SCREENSHOT");
    if (!shot.isEmpty())
        QTimer::singleShot(0, this, [this, shot] { takeScreenshot(shot); });
}

void TfRek::takeScreenshot(const QString& path)
{
    if (!grab().save(path, "PNG"))
        std::fprintf(stderr, "rek2: cannot write %s\n", qPrintable(path));
    close();
}

void TfRek::closeEvent(QCloseEvent* event)
{
    // While the status panel is up an action is still running inside this window.
    if (Panel6->isVisible()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TfRek::FormClose()
{
    m_ctx.odsKupon.close();
}

// ---------------------------------------------------------------------------------------
// Actions

void TfRek::runAction(const std::function<void()>& action)
{
    QString failure;
    try {
        action();
    } catch (const Error& e) {
        failure = e.message();
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    if (Panel6->isVisible())
        m_ctx.showMsgDlg(false, QString());
    // Actions may move the period (a correction prepared from the history does).
    setPickerDates(m_ctx.datumOd, m_ctx.datumDo);
    if (!failure.isNull())
        GuiMessages::showError(this, failure);
}

void TfRek::setPickerDates(const QDate& od, const QDate& doDate)
{
    m_settingDates = true;
    if (od.isValid() && dtpDatumOd->date() != od)
        dtpDatumOd->setDate(od);
    if (doDate.isValid() && dtpDatumDo->date() != doDate)
        dtpDatumDo->setDate(doDate);
    m_settingDates = false;
}

void TfRek::setActivePage(int index)
{
    {
        const QSignalBlocker block(PageControl1);
        PageControl1->setCurrentIndex(index);
    }
    // Errors go to the action that switched the page.
    if (index == 1)
        refreshFileLists();
}

void TfRek::refreshNeposlana()
{
    lbNeposlana->clear();
    lbNeposlana->addItems(FileLists::neposlana(m_ctx.settings.xmlPath));
}

void TfRek::refreshPoslana()
{
    lbPoslana->clear();
    lbPoslana->addItems(FileLists::poslana(m_ctx.settings.xmlArhiv));
}

void TfRek::refreshFileLists()
{
    refreshPoslana();
    refreshNeposlana();
}

void TfRek::PageControl1Change(int index)
{
    runAction([this, index] { setActivePage(index); });
}

void TfRek::dtpDatumOdChange()
{
    if (m_settingDates)
        return;
    runAction([this] {
        CollectionLists::dtpDatumOdChange(m_ctx, dtpDatumOd->date());
        SpeedButton2->setEnabled(true);
    });
}

void TfRek::dtpDatumDoChange()
{
    if (m_settingDates)
        return;
    m_ctx.datumDo = dtpDatumDo->date();
}

void TfRek::bNaborClick()
{
    runAction([this] { CollectionAction::bNaborClick(m_ctx); });
}

void TfRek::SpeedButton2Click()
{
    runAction([this] { SummaryRebuild::speedButton2Click(m_ctx); });
}

void TfRek::SpeedButton6Click()
{
    runAction([this] { SummaryRebuild::speedButton6Click(m_ctx); });
}

void TfRek::dbgZbirniCellClick()
{
    runAction([this] { CollectionLists::dbgZbirniCellClick(m_ctx); });
}

void TfRek::dbgZbirniExit()
{
    runAction([this] { CollectionLists::dbgZbirniExit(m_ctx); });
}

void TfRek::bXMLClick()
{
    runAction([this] {
        m_ctx.selectedZbirIds.clear();
        const db::Dataset& z = m_ctx.odsREK2_Zbir;
        const int idField = z.fieldIndex(QStringLiteral("ID_REK2_ZBIR"));
        if (dbgZbirni->isAttached() && z.active() && idField >= 0) {
            for (int row : dbgZbirni->selectedDatasetRows()) {
                const QVariant id = z.valueAt(row, idField);
                if (id.isValid() && !id.isNull())
                    m_ctx.selectedZbirIds.insert(qRound64(id.toDouble()));
            }
        }
        m_ctx.xmlZaVseZbirne = cbXMLZaVseZbirne->isChecked();
        XmlGeneration::bXMLClick(m_ctx);
    });
}

void TfRek::bRefreshNeposlanaClick()
{
    runAction([this] { refreshNeposlana(); });
}

void TfRek::bRefreshPoslanaClick()
{
    runAction([this] { refreshPoslana(); });
}

void TfRek::bSendClick()
{
    runAction([this] { m_messages.napaka(QStringLiteral("Povezava...."), QStringLiteral("V redu!")); });
}

void TfRek::tsPorocilaContextPopup()
{
    runAction([this] { refreshFileLists(); });
}

} // namespace rek2
