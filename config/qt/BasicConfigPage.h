#pragma once
// "The basic configuration": search, parameter display and editing, download, parameter files.
//
// The page mirrors a config::BasicConfigModel: every handler updates the model from the
// controls, lets the model apply its rules, and shows the model again. Bus work runs on
// workers; their results come back through queued calls on the window's thread.

#include <atomic>
#include <functional>
#include <optional>

#include <QTimer>

#include "base/Progress.h"
#include "common/qt/SheetPage.h"
#include "common/qt/WaitDialogs.h"
#include "config/DeviceSearch.h"
#include "config/Download.h"
#include "config/ParameterFile.h"
#include "config/ParameterModel.h"
#include "config/ReadBack.h"
#include "config/qt/BasicConfigControls.h"
#include "state/AppContext.h"
#include "state/Worker.h"

class CBasicConfigPage : public SheetPage {
    Q_OBJECT
public:
    CBasicConfigPage(AppContext& ctx, QWidget* parent = nullptr);
    ~CBasicConfigPage() override;

    // Called by the enterprise login.
    void ShowEnterpriseLayout();
    void clearSearchDone();

    // View commands.
    void OnImportBasicParams();
    void OnLoadLevelPreset();
    void OnLoadTemperaturePreset();

    // Buttons.
    void OnSearch();
    void OnBatchDownload();
    void OnConfiguration();
    void OnSaveConfigFile();

    // Publishes BasicSettings; stays in front when an edit does not hold a number.
    bool onKillActive() override;

    const config::BasicConfigModel& model() const { return model_; }
    config::SearchState& searchState() { return search_; }
    bool searchRunning() const { return searchWorker_.running(); }
    const BasicConfigControls& controls() const { return c_; }

    // What the bus work behind the download and configuration wait dialogs is doing.
    const Progress& downloadProgress() const { return downloadProgress_; }

    // Shown through the operator messages, which translate them as the core's texts.
    static constexpr const char* kSearchRunning = QT_TRANSLATE_NOOP(
        "Core", "Searching: Batch download and Configuration are back when the search ends");
    static constexpr const char* kSaveFailed =
        QT_TRANSLATE_NOOP("Core", "The configuration file could not be saved!");
    static constexpr const char* kFileUnreadable =
        QT_TRANSLATE_NOOP("Core", "The configuration file cannot be read!");
    static constexpr const char* kPresetUnreadable =
        QT_TRANSLATE_NOOP("Core", "The preset file cannot be read!");

signals:
    // The ordinary search's progress for the status bar, every 200 ms while it runs; an empty
    // text when it has ended.
    void searchProgressChanged(const QString& text, int done, int total);

private:
    void connectControls();
    void publishSearchProgress();
    // Model -> controls (texts, selections, states, boxes) and the live selections.
    void showModel();
    // Edit texts -> model (the model keeps the texts of every edit).
    void pullEdits();
    // Parses the edits; on a bad number tells the operator and moves the focus there.
    bool readControls();
    // A frame the registers cannot carry: tells the operator and moves the focus to the field.
    bool refused(const config::Frame& frame);
    // While the ordinary search moves CurrentAddress, nothing may be written.
    void setSearching(bool on);
    void loadPreset(config::Preset preset);
    void onListChanged(config::ListId id, int index);
    void OnSearchComplete(const config::SearchOutcome& outcome);
    // One bus step of "Configuration" on the worker behind its wait dialog; false when the
    // worker did not start (the operator has been told).
    bool runConfigurationStep(const std::function<void()>& step);

    AppContext& ctx_;
    config::BasicConfigModel model_;
    config::SearchState search_;
    BasicConfigControls c_;
    bool searchHoldsWrites_ = false;
    HeldWhileWaiting searchResult_;
    std::atomic<int> downloadDone_{0};
    std::atomic<int> configurationCancel_{0};
    config::DownloadReport downloadReport_;
    Progress downloadProgress_;
    QTimer searchProgressTimer_;
    Worker searchWorker_;
    Worker downloadWorker_;
};
