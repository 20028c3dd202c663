#include "config/qt/BasicConfigPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/qt/FileDialogs.h"
#include "common/qt/ProgressText.h"
#include "common/qt/Translate.h"
#include "common/qt/WaitDialogs.h"
#include "config/Readdress.h"
#include "link/ParameterCodes.h"

using config::EditId;
using config::ListId;

namespace {

const char* const kTextFilter =
    QT_TRANSLATE_NOOP("CBasicConfigPage", "Text Files(*.txt);;ALL Files(*.*)");

QString q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

CBasicConfigPage::CBasicConfigPage(AppContext& ctx, QWidget* parent)
    : SheetPage(parent), ctx_(ctx) {
    setObjectName("CBasicConfigPage");
    setAccessibleName(tr("The basic configuration"));
    ctx_.clearOnlineTable();
    c_ = buildBasicConfigControls(this);
    for (std::size_t i = 0; i < config::kListCount; ++i)
        for (const auto& e : model_.lists[i].entries) c_.lists[i]->addItem(trCore(e));
    connectControls();
    connect(&searchProgressTimer_, &QTimer::timeout, this,
            &CBasicConfigPage::publishSearchProgress);
    model_.ShowRestrictedLayout();
    showModel();
}

CBasicConfigPage::~CBasicConfigPage() {
    search_.abandon = 1;
    search_.SearchDone = 1;
    searchWorker_.join();
    downloadWorker_.join();
}

void CBasicConfigPage::connectControls() {
    for (std::size_t i = 0; i < config::kListCount; ++i) {
        const auto id = config::listAt(i);
        connect(c_.lists[i], &QComboBox::currentIndexChanged, this,
                [this, id](int index) { onListChanged(id, index); });
    }
    connect(c_.search, &QPushButton::clicked, this, &CBasicConfigPage::OnSearch);
    connect(c_.batchDownload, &QPushButton::clicked, this, &CBasicConfigPage::OnBatchDownload);
    connect(c_.configuration, &QPushButton::clicked, this, &CBasicConfigPage::OnConfiguration);
    connect(c_.saveFile, &QPushButton::clicked, this, &CBasicConfigPage::OnSaveConfigFile);
    connect(c_.selectAll, &QPushButton::clicked, this, [this] {
        model_.OnSelectAll();
        showModel();
    });
    connect(c_.empty, &QPushButton::clicked, this, [this] {
        model_.OnEmpty();
        showModel();
    });
    for (std::size_t a = 0; a < c_.addresses.size(); ++a)
        connect(c_.addresses[a], &QCheckBox::clicked, this,
                [this, a](bool on) { model_.addressTicked[a] = on; });
    for (std::size_t g = 0; g < c_.groups.size(); ++g)
        connect(c_.groups[g], &QCheckBox::clicked, this, [this, g](bool on) {
            model_.groupTicked[g] = on;
            model_.OnRangeSelect(static_cast<int>(g));
            showModel();
        });
}

void CBasicConfigPage::pullEdits() {
    for (std::size_t i = 0; i < config::kEditCount; ++i)
        model_.edits[i] = c_.edits[i]->text().toStdString();
}

void CBasicConfigPage::showModel() {
    for (std::size_t i = 0; i < config::kListCount; ++i) {
        const QSignalBlocker block(c_.lists[i]);
        c_.lists[i]->setCurrentIndex(model_.lists[i].selected);
    }
    for (std::size_t i = 0; i < config::kEditCount; ++i) {
        const QString t = q(model_.edits[i]);
        if (c_.edits[i]->text() != t)
            c_.edits[i]->setText(t);
    }
    const bool ent = model_.enterprise;
    c_.edit(EditId::Density)->setReadOnly(model_.densityReadOnly);
    for (EditId id : {EditId::Address, EditId::ProductCode, EditId::RangeStart, EditId::RangeEnd})
        c_.edit(id)->setReadOnly(!ent);
    for (ListId id :
         {ListId::SignalType, ListId::SignalUnit, ListId::OutputType, ListId::PointPosition})
        c_.list(id)->setEnabled(ent);
    c_.list(ListId::K2Type)->setEnabled(model_.k2Enabled);
    for (EditId id : {EditId::K2Action, EditId::K2Delay, EditId::K2Release})
        c_.edit(id)->setEnabled(model_.k2Enabled);
    c_.list(ListId::Voltage)->setEnabled(model_.voltageEnabled);
    c_.list(ListId::Current)->setEnabled(model_.currentEnabled);
    c_.configuration->setVisible(ent);
    c_.saveFile->setVisible(ent);
    c_.equipment->setVisible(ent);
    for (QLabel* l : c_.unitLabels) l->setText(q(model_.unitLabel));
    for (std::size_t a = 0; a < c_.addresses.size(); ++a)
        c_.addresses[a]->setChecked(model_.addressTicked[a]);
    for (std::size_t g = 0; g < c_.groups.size(); ++g)
        c_.groups[g]->setChecked(model_.groupTicked[g]);
    ctx_.setLiveSelections(model_.list(ListId::OutputType).text(),
                           model_.list(ListId::PointPosition).text());
}

bool CBasicConfigPage::readControls() {
    pullEdits();
    const config::ReadResult r = model_.readEdits();
    if (r.ok)
        return true;
    ctx_.messages.show(r.message);
    c_.edit(r.failed)->setFocus();
    c_.edit(r.failed)->selectAll();
    return false;
}

bool CBasicConfigPage::refused(const config::Frame& frame) {
    if (!frame.refusal)
        return false;
    ctx_.messages.show(frame.refusal->message);
    c_.edit(frame.refusal->edit)->setFocus();
    c_.edit(frame.refusal->edit)->selectAll();
    return true;
}

void CBasicConfigPage::setSearching(bool on) {
    if (on == searchHoldsWrites_)
        return;
    searchHoldsWrites_ = on;
    const QString why = on ? trCore(kSearchRunning) : QString();
    for (QPushButton* b : {c_.batchDownload, c_.configuration}) {
        b->setEnabled(!on);
        b->setToolTip(why);
    }
    ctx_.messages.status(on ? kSearchRunning : "");
    if (on) {
        searchProgressTimer_.start(200);
    } else {
        searchProgressTimer_.stop();
        emit searchProgressChanged({}, 0, 0);
    }
}

void CBasicConfigPage::publishSearchProgress() {
    const ProgressSnapshot p = search_.progress.snapshot();
    emit searchProgressChanged(progressText(p), p.done, p.total);
}

void CBasicConfigPage::onListChanged(ListId id, int index) {
    pullEdits();
    model_.list(id).selected = index;
    if (id == ListId::SignalType)
        model_.OnSignalTypeChange();
    else if (id == ListId::SignalUnit)
        model_.UpdateUnitLabels();
    else if (id == ListId::OutputType)
        model_.ApplyOutputTypeRules();
    showModel();
}

void CBasicConfigPage::ShowEnterpriseLayout() {
    pullEdits();
    // The lists keep what the operator sees, with the states that go with it: a download after
    // the login must write the values shown before it, not the layout's first entries.
    const config::BasicConfigModel before = model_;
    model_.ShowEnterpriseLayout();
    for (std::size_t i = 0; i < config::kListCount; ++i) {
        const auto id = config::listAt(i);
        model_.list(id).selected = before.list(id).selected;
    }
    model_.unitLabel = before.unitLabel;
    model_.k2Enabled = before.k2Enabled;
    model_.voltageEnabled = before.voltageEnabled;
    model_.currentEnabled = before.currentEnabled;
    showModel();
}

void CBasicConfigPage::clearSearchDone() {
    search_.SearchDone = 0;
}

bool CBasicConfigPage::onKillActive() {
    readControls();
    ctx_.setBasicSettings(model_.settings());
    return readControls();
}

void CBasicConfigPage::OnSearch() {
    if (searchWorker_.running())
        return;
    const bool enterprise = ctx_.EnterpriseMode.load() != 0;
    const KeptFlags kept{&search_.SearchDone, &search_.SearchFailed};
    config::resetSearchFlags(search_);
    // The result is shown once the wait dialog has gone.
    std::function<void()> work = [this, enterprise] {
        const config::SearchOutcome out = config::runSearch(ctx_, search_, enterprise);
        QMetaObject::invokeMethod(
            this, [this, out] { searchResult_.run([this, out] { OnSearchComplete(out); }); },
            Qt::QueuedConnection);
    };
    if (!enterprise) {
        if (!startWorkerOrReport(searchWorker_, std::move(work), ctx_.messages,
                                 WorkerStartFailure::kSearch, &kept))
            return;
        c_.search->setEnabled(false);
        setSearching(true);
        return;
    }
    runBehindWaitDialog(
        searchWorker_, std::move(work), ctx_.messages, WorkerStartFailure::kSearch, &kept,
        &search_.progress,
        [this] {
            c_.search->setEnabled(false);
            return CSearchWaitDlg(
                [this] { return search_.SearchDone.load() || search_.SearchFailed.load(); },
                [this] {
                    search_.SearchDone = 1;
                    c_.search->setEnabled(true);
                },
                &searchWorker_, this);
        },
        &searchResult_);
}

void CBasicConfigPage::OnSearchComplete(const config::SearchOutcome& out) {
    searchWorker_.join();
    c_.search->setEnabled(true);
    setSearching(false);
    if (!out.message.empty())
        ctx_.messages.show(out.message);
    pullEdits();
    model_.DecodeParameterBlock(out.block);
    if (out.complete)
        model_.moveValuesToEdits();
    // Also without a result, so the enable states follow the lists the empty block selected.
    model_.UpdateUnitLabels();
    model_.ApplyOutputTypeRules();
    if (out.complete)
        model_.tickOnline(ctx_.onlineAddresses());
    showModel();
    if (out.complete)
        ctx_.messages.show(config::kSearchComplete);
    if (!out.faults.empty())
        ctx_.messages.show(out.faults.summary());
}

void CBasicConfigPage::OnBatchDownload() {
    if (downloadWorker_.running())
        return;
    if (searchWorker_.running()) {
        ctx_.messages.status(kSearchRunning);
        return;
    }
    if (!readControls())
        return;
    const bool enterprise = ctx_.EnterpriseMode.load() != 0;
    const int current = ctx_.CurrentAddress.load();
    if (!enterprise && current == 0) {
        ctx_.messages.show(config::kNoSearchAppliance);
        return;
    }
    const config::Frame frame =
        enterprise ? config::batchDownloadFrame(model_)
                   : config::singleDownloadFrame(static_cast<std::uint8_t>(current), model_);
    if (refused(frame))
        return;
    const KeptFlags kept{&downloadDone_};
    downloadDone_ = 0;
    downloadProgress_.clear();
    const bool ran = runBehindWaitDialog(
        downloadWorker_,
        [this, bytes = frame.bytes, enterprise, online = ctx_.onlineAddresses()] {
            downloadReport_ =
                enterprise ? config::downloadToAllVerified(ctx_, bytes, online, &downloadProgress_)
                           : config::downloadToDeviceVerified(ctx_, bytes, &downloadProgress_);
            downloadDone_ = 1;
        },
        ctx_.messages, WorkerStartFailure::kBatchDownload, &kept, &downloadProgress_,
        [this] {
            return CBatchDownloadWaitDlg([this] { return downloadDone_.load() != 0; }, nullptr,
                                         &downloadWorker_, this);
        });
    if (!ran)
        return;
    config::tellDownload(ctx_.messages, downloadReport_, enterprise);
}

void CBasicConfigPage::OnConfiguration() {
    if (searchWorker_.running()) {
        ctx_.messages.status(kSearchRunning);
        return;
    }
    if (!readControls())
        return;
    const config::Frame frame = config::configurationFrame(
        model_.values.integer(EditId::ProductCode), model_.values.integer(EditId::CurrentDevice));
    if (refused(frame))
        return;
    if (downloadWorker_.running())
        return;
    // Who answers first: every device on the bus takes the new address.
    bool failed = false;
    std::vector<int> answering;
    if (!runConfigurationStep([&] {
            answering =
                config::answeringDevices(ctx_, failed, &configurationCancel_, &downloadProgress_);
        }) ||
        failed || configurationCancel_.load())
        return;
    const int address = model_.values.integer(EditId::CurrentDevice);
    const long long productCode = model_.values.integer(EditId::ProductCode);
    if (answering.size() > 1 &&
        !ctx_.messages.ask(config::severalAnswerQuestion(answering, address)))
        return;
    config::ConfigurationCheck check;
    if (!runConfigurationStep([&] {
            check = config::configureAndConfirm(ctx_, frame.bytes, address, productCode,
                                                &downloadProgress_);
        }))
        return;
    const Message text = config::configurationText(check);
    if (!text.empty())
        ctx_.messages.show(text, check.confirmed() ? MessageIcon::None : MessageIcon::Exclamation);
}

bool CBasicConfigPage::runConfigurationStep(const std::function<void()>& step) {
    const KeptFlags kept{&downloadDone_, &configurationCancel_};
    downloadDone_ = 0;
    configurationCancel_ = 0;
    downloadProgress_.clear();
    return runBehindWaitDialog(
        downloadWorker_,
        [this, step] {
            step();
            downloadDone_ = 1;
        },
        ctx_.messages, WorkerStartFailure::kBatchDownload, &kept, &downloadProgress_,
        [this] {
            return CConfigurationWaitDlg([this] { return downloadDone_.load() != 0; },
                                         [this] { configurationCancel_ = 1; }, &downloadWorker_,
                                         this);
        });
}

void CBasicConfigPage::OnSaveConfigFile() {
    readControls();
    if (!reg::signalTypeOf(model_.list(ListId::SignalType).text()))
        return;
    FileDialogs::Request req;
    req.save = true;
    req.title = tr("Save as");
    req.filter = tr(kTextFilter);
    req.defaultSuffix = QStringLiteral("txt");
    const QString path = FileDialogs::ask(this, req);
    if (path.isEmpty())
        return;
    std::string error;
    if (!config::writeParameterFile(path.toStdString(), model_, &error))
        ctx_.messages.showWithDetail(kSaveFailed, MessageIcon::Exclamation, error);
}

void CBasicConfigPage::OnImportBasicParams() {
    FileDialogs::Request req;
    req.title = tr("导入");
    req.filter = tr(kTextFilter);
    const QString path = FileDialogs::ask(this, req);
    pullEdits();
    if (!path.isEmpty()) {
        const std::string p = path.toStdString();
        const config::ParameterFileRead file = config::readParameterFile(p);
        if (file.ok()) {
            config::applyParameterFile(model_, file.values);
            showModel();
            return;
        }
        // Nothing of a file that is not a parameter file reaches the page.
        if (file.status == config::ParameterFileRead::Status::Unreadable)
            ctx_.messages.showWithDetail(
                kFileUnreadable, MessageIcon::Exclamation,
                Message::joined({Message::verbatim(p), file.problem}, ": "));
        else
            ctx_.messages.showWithDetail(file.problem, MessageIcon::Exclamation,
                                         Message::verbatim(p));
    }
    config::refreshAfterImport(model_);
    showModel();
}

void CBasicConfigPage::loadPreset(config::Preset preset) {
    pullEdits();
    const config::IniFile::Load ini = config::IniFile::load(ctx_.presetIniPath);
    if (!ini.ini) {
        ctx_.messages.showWithDetail(kPresetUnreadable, MessageIcon::Exclamation,
                                     ctx_.presetIniPath.string() + ": " + ini.why);
        return;
    }
    config::applyPreset(model_, *ini.ini, preset);
    showModel();
}

void CBasicConfigPage::OnLoadLevelPreset() {
    loadPreset(config::Preset::Level);
}

void CBasicConfigPage::OnLoadTemperaturePreset() {
    loadPreset(config::Preset::Temperature);
}
