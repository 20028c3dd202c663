// The window in English and in Chinese: every text the screenshot tour shows is translated, the
// core's messages (composed ones too) reach the operator translated, and the translation files
// cover every marked text and are up to date with the sources.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <map>

#include "ShellFixture.h"
#include "acquisition/GatherSession.h"
#include "base/ProgressTexts.h"
#include "base/Texts.h"
#include "calibration/SensorCalibration.h"
#include "common/qt/ProgressText.h"
#include "common/qt/Translate.h"
#include "config/ReadBack.h"
#include "shell/qt/BusMonitorWindow.h"
#include "shell/qt/QtOperatorMessages.h"
#include "shell/qt/Screenshots.h"
#include "shell/qt/SerialConfigDlg.h"
#include "state/Worker.h"
#include "tests/support/RecordingMessages.h"

namespace {

const QRegularExpression kHan(QStringLiteral("[\\x{3400}-\\x{9fff}\\x{f900}-\\x{faff}]"));
const QRegularExpression kLatin(QStringLiteral("[A-Za-z]"));

// The language is installed before the window is made, as the program does; removed after.
struct Language {
    explicit Language(const char* lang) { ok = Translate::install(QString::fromLatin1(lang)); }
    ~Language() { Translate::uninstall(); }
    bool ok = false;
};

// Every text a person can read in `root` and below it, with where it was found.
void collectTexts(QWidget* root, std::vector<std::pair<QString, QString>>& out) {
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    auto add = [&out](QWidget* w, const QString& what, const QString& text) {
        if (!text.isEmpty())
            out.emplace_back(
                QString("%1 %2 (%3)").arg(w->metaObject()->className(), w->objectName(), what),
                text);
    };
    for (QWidget* w : all) {
        if (w->isWindow())
            add(w, "title", w->windowTitle());
        add(w, "tool tip", w->toolTip());
        add(w, "accessible name", w->accessibleName());
        add(w, "accessible description", w->accessibleDescription());
        if (auto* l = qobject_cast<QLabel*>(w))
            add(w, "text", l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            add(w, "text", b->text());
        if (auto* g = qobject_cast<QGroupBox*>(w))
            add(w, "title", g->title());
        if (auto* e = qobject_cast<QLineEdit*>(w))
            add(w, "placeholder", e->placeholderText());
        if (auto* t = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i) add(w, "tab", t->tabText(i));
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i) add(w, "item", c->itemText(i));
        if (auto* m = qobject_cast<QMenu*>(w)) {
            add(w, "title", m->title());
            for (QAction* a : m->actions()) add(w, "item", a->text());
        }
        if (auto* v = qobject_cast<QAbstractItemView*>(w); v && v->model()) {
            const QAbstractItemModel* model = v->model();
            for (int c = 0; c < model->columnCount(); ++c)
                add(w, "header", model->headerData(c, Qt::Horizontal).toString());
            for (int r = 0; r < std::min(model->rowCount(), 50); ++r)
                add(w, "row header", model->headerData(r, Qt::Vertical).toString());
            for (int r = 0; r < std::min(model->rowCount(), 50); ++r)
                for (int c = 0; c < std::min(model->columnCount(), 12); ++c)
                    add(w, "cell", model->index(r, c).data().toString());
        }
    }
}

// The texts of every window the screenshot tour shows, in its order.
std::vector<std::pair<QString, QString>> tourTexts(CMainFrame& frame) {
    std::vector<std::pair<QString, QString>> texts;
    QTemporaryDir dir;
    EXPECT_TRUE(dir.isValid());
    const int result = takeScreenshots(frame, dir.path(), [&](QWidget* shown, const QString& name) {
        std::vector<std::pair<QString, QString>> found;
        collectTexts(shown, found);
        if (shown == &frame)
            for (QAction* a : frame.menuBar()->actions()) found.emplace_back("menu bar", a->text());
        for (auto& [where, text] : found) texts.emplace_back(name + ": " + where, text);
    });
    EXPECT_EQ(result, 0);
    return texts;
}

std::string textsMatching(const std::vector<std::pair<QString, QString>>& texts,
                          const QRegularExpression& re) {
    QStringList out;
    for (const auto& [where, text] : texts)
        if (text.contains(re))
            out << where + " \"" + text + "\"";
    out.removeDuplicates();
    return out.join('\n').toStdString();
}

TEST(Translation, TheEnglishTourShowsNoChineseText) {
    Language en("en");
    ASSERT_TRUE(en.ok) << "no :/i18n/korvelantis_en.qm in the program";
    RecordingMessages messages;
    AppContext ctx{messages};
    ShellWindow w{ctx};
    const auto texts = tourTexts(w.frame);
    ASSERT_GT(texts.size(), 300u) << "the tour visited too little";
    EXPECT_EQ(textsMatching(texts, kHan), "");
    // The sample record's times are times of a clock (it once read "10:60").
    EXPECT_NE(textsMatching(texts, QRegularExpression("\\b11:00\\b")), "");
    EXPECT_EQ(textsMatching(texts, QRegularExpression("\\b\\d{1,2}:[6-9]\\d\\b")), "");

    BusMonitorWindow monitor(ctx);
    std::vector<std::pair<QString, QString>> found;
    collectTexts(&monitor, found);
    EXPECT_EQ(textsMatching(found, kHan), "");
}

TEST(Translation, TheChineseTourShowsTheEnglishCaptionsInChinese) {
    Language zh("zh");
    ASSERT_TRUE(zh.ok) << "no :/i18n/korvelantis_zh.qm in the program";
    RecordingMessages messages;
    AppContext ctx{messages};
    ShellWindow w{ctx};
    EXPECT_EQ(w.menuTitles(), (QStringList{"文件(&F)", "串口(&S)", "图像调整(&A)", "帮助(&H)"}));
    EXPECT_EQ(w.tabs(), (QStringList{"基本配置", "数据采集"}));
    EXPECT_EQ(w.items("menuSerial"),
              (QStringList{"串口配置(&C)", "打开串口(&O)", "关闭串口(&B)", "总线监视(&M)..."}));

    // Every caption of a menu, tab, button, group or dialog title carries Chinese; what may stay
    // Latin are names, numbers, units and codes such as "K1+1A" or "RTU".
    const auto texts = tourTexts(w.frame);
    std::vector<std::pair<QString, QString>> captions;
    for (const auto& [where, text] : texts)
        if (where.contains("(title)") || where.contains("(tab)") || where.contains("menu bar") ||
            (where.contains("QPushButton") && where.contains("(text)")))
            captions.emplace_back(where, text);
    std::vector<std::pair<QString, QString>> english;
    for (const auto& [where, text] : captions)
        if (!text.contains(kHan) && text.contains(QRegularExpression("[A-Za-z]{3}")) &&
            !text.startsWith("Korvelantis"))
            english.emplace_back(where, text);
    EXPECT_EQ(textsMatching(english, kLatin), "");
}

// The parity and "Classic" are settings the port reads: shown translated, stored as they are.
TEST(Translation, TheSerialDialogShowsItsSettingsTranslatedAndStoresThemUnchanged) {
    Language zh("zh");
    ASSERT_TRUE(zh.ok);
    SerialSettings settings;
    settings.Parity = "even parity";
    settings.ResponseTimeoutMs = 200;
    CSerialConfigDlg dlg(settings, {});
    QComboBox* parity = dlg.parityList();
    QComboBox* timeout = dlg.responseTimeoutList();
    EXPECT_EQ(parity->currentText(), "偶校验");
    EXPECT_EQ(timeout->itemText(0), "经典");
    parity->setCurrentIndex(parity->findText("奇校验"));
    timeout->setCurrentIndex(0);
    dlg.okButton()->click();
    EXPECT_EQ(settings.Parity, "Odd parity");
    EXPECT_EQ(settings.ResponseTimeoutMs, SerialSettings::kClassicResponseTimeout);
}

TEST(Translation, WithoutALanguageTheTextsAreTheirOwn) {
    Translate::uninstall();
    EXPECT_FALSE(Translate::active());
    const Message composed = compose(texts::kPointsNotAcquired, {Message::verbatim("2, 3")});
    EXPECT_EQ(trCore(composed), QString::fromStdString(composed.text()));
    EXPECT_EQ(trCore("File Open Failed!"), "File Open Failed!");
    EXPECT_FALSE(Translate::install("fr"));
}

// The core's messages as the operator sees them: exact texts and composed ones, whose arguments
// may be texts of the core themselves (translated) or names, numbers and reasons (never).
TEST(Translation, CoreMessagesAreTranslatedWithTheirArguments) {
    struct Case {
        const char* lang;
        Message core;
        const char* shown;
    };
    const auto v = [](const char* text) { return Message::verbatim(text); };
    const Case cases[] = {
        {"en", "未搜索到在线设备！", "No online device found!"},
        {"en", compose(texts::kPointsNotAcquired, {v("2, 3")}),
         "Calibration point 2, 3 not acquired yet, K and B cannot be computed, not downloaded!"},
        {"en", compose(texts::kDownloadCompleteMarked, {v("7, 12")}),
         "K and B download complete! The fit residual exceeds 0.5% of the range at these "
         "addresses, please check: 7, 12"},
        {"en", compose(texts::kReportFailed, {v("/tmp/r.csv"), v("No space left on device")}),
         "Calibration report not saved: /tmp/r.csv (No space left on device)"},
        {"en", "Download Success!", "Download successful."},
        // One line a kind of device under the first, each line its own template.
        {"en", calib::downloadInterruptedText({1}, {2}, {3, 4}),
         "Download interrupted!\nWritten and confirmed: 1\nWritten, not confirmed: 2\nNot "
         "written: 3, 4"},
        {"zh", "File Open Failed!", "文件打开失败！"},
        {"zh", compose(texts::kReadFailedCode, {v("5")}), "错误代码5，读串口操作失败！"},
        {"zh", compose(texts::kValueOutOfRange, {"K1 action:", v("-327.68"), v("327.67")}),
         "K1动作值：请输入-327.68至327.67之间的值"},
        {"zh",
         config::readBackSummary(
             {{12, config::ReadBackStatus::Differs, {{reg::K1Action, 125, 100}}},
              {33, config::ReadBackStatus::NoAnswer, {}},
              {34, config::ReadBackStatus::Verified, {}}}),
         "3台设备中1台校验通过; 12: K1动作值为100，发送的是125; 33：无应答"},
        {"zh", compose(texts::kPortClosedBecause, {v("/dev/ttyUSB0"), "the line hung up."}),
         "串口/dev/ttyUSB0已关闭：线路已断开。"},
        {"zh", compose(texts::kPortBusy, {v("/dev/ttyUSB0")}),
         "/dev/ttyUSB0忙：另一个程序正在使用该串口。"},
        {"zh", WorkerStartFailure::acquisition(3), "采集线程3启动失败！"},
        // An argument's own "%1" stays as it is.
        {"en", compose(texts::kImportError, {v("%1 是什么")}), "Error message  %1 是什么"},
        {"zh", "/dev/ttyUSB0: Permission denied", "/dev/ttyUSB0: Permission denied"},
        // A name holding "; ", a placeholder, or the very text of another template is a name:
        // once recognised from the finished text, such a message came out mangled.
        {"zh", compose(texts::kPortBusy, {v("/tmp/a; b")}),
         "/tmp/a; b忙：另一个程序正在使用该串口。"},
        {"zh", compose(texts::kReportSaved, {v("/tmp/%1 %2.csv")}),
         "标定报告已保存：/tmp/%1 %2.csv"},
        {"zh", compose(texts::kPortBusy, {v("File Open Failed!")}),
         "File Open Failed!忙：另一个程序正在使用该串口。"},
        {"zh",
         compose(texts::kReportFailed,
                 {v("/tmp/r.csv"), v("No such device: x. Is the adapter plugged in?")}),
         "标定报告保存失败：/tmp/r.csv（No such device: x. Is the adapter plugged in?）"},
        {"zh", compose(texts::kImportError, {v("12: 33: no answer; device 7 refused")}),
         "错误信息  12: 33: no answer; device 7 refused"},
    };
    for (const Case& c : cases) {
        Language lang(c.lang);
        ASSERT_TRUE(lang.ok);
        EXPECT_EQ(trCore(c.core).toStdString(), c.shown) << c.lang << ": " << c.core.text();
    }
}

// Progress lines are templates the window translates before it fills them in: a template left
// out of the translation, or filled in before it is looked up, shows English in Chinese.
TEST(Translation, ProgressLinesAreTranslatedBeforeTheyAreFilledIn) {
    Language zh("zh");
    ASSERT_TRUE(zh.ok);
    for (const char* t : progress_text::kAll) {
        ProgressSnapshot s;
        s.parts = {{t, {"23", "60", "2"}}};
        EXPECT_NE(progressText(s).toStdString(), fillText(t, {"23", "60", "2"})) << t;
    }
    ProgressSnapshot s;
    s.parts = {{progress_text::kScanAddress, {"23", "60", "2"}}};
    EXPECT_EQ(progressText(s).toStdString(), "地址23/60，2台在线");
    s.parts = {{progress_text::kSamplesTaken, {"3", "12"}},
               {progress_text::kWithoutAnswer, {"1"}},
               {progress_text::kLastValue, {"1.254", "MPa"}}};
    EXPECT_EQ(progressText(s).toStdString(), "已采集3个样本，共12个，1次无应答\n最近值：1.254 MPa");
}

TEST(Translation, MessageBoxesAndStatusLinesArriveTranslated) {
    Language en("en");
    ASSERT_TRUE(en.ok);
    QtOperatorMessages messages;
    QString status;
    QObject::connect(&messages, &QtOperatorMessages::statusChanged,
                     [&](const QString& t) { status = t; });
    messages.status(calib::missingReadingsText({7}));
    EXPECT_TRUE(waitFor([&] { return !status.isEmpty(); }));
    EXPECT_EQ(status,
              "These addresses lack a calibration point reading, K and B not downloaded: 7");

    QString text, detail, button;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        detail = box->informativeText();
        button = box->button(QMessageBox::Ok)->text();
        box->accept();
    });
    messages.showWithDetail("校验失败！", MessageIcon::Exclamation, "没有可保存的标定结果！");
    EXPECT_EQ(text, "Verification failed!");
    EXPECT_EQ(detail, "No calibration result to save!");
    EXPECT_EQ(button, "OK");
}

// --- the translation files ---------------------------------------------------------------

struct TsMessage {
    QString context;
    QString source;
    QString translation;
    bool unfinished = false;
};

std::vector<TsMessage> readTs(const QString& path) {
    std::vector<TsMessage> out;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader xml(&f);
    QString context;
    TsMessage m;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            m = TsMessage{context, {}, {}, false};
        } else if (name == QLatin1String("source")) {
            m.source = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            m.unfinished = xml.attributes().value("type") == QLatin1String("unfinished");
            m.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            out.push_back(m);
        }
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return out;
}

QString tsPath(const char* lang) {
    return QString(KORV_SOURCE_DIR "/translations/korvelantis_%1.ts").arg(lang);
}

// A text needs no translation when it is in the target's script already: for English no
// Chinese in it, for Chinese some Chinese or no Latin letters at all ("%1: %2").
bool inTargetScript(const QString& text, const QString& lang) {
    if (lang == "en")
        return !text.contains(kHan);
    return text.contains(kHan) || !text.contains(kLatin);
}

QStringList placeholders(const QString& text) {
    QStringList out;
    auto it = QRegularExpression(QStringLiteral("%[1-9n]")).globalMatch(text);
    while (it.hasNext()) out << it.next().captured();
    out.sort();
    out.removeDuplicates();  // each plural form of "%n frames" has its "%n"
    return out;
}

// "&Yes" and "是(&Y)" both give Y; "\tCtrl+P" follows the text in both. A source without a key
// may get one in its translation (the English page buttons).
QString accelerator(const QString& text) {
    const auto m = QRegularExpression(QStringLiteral("&([A-Za-z])")).match(text);
    return m.hasMatch() ? m.captured(1).toUpper() : QString();
}
QString shortcut(const QString& text) {
    const qsizetype tab = text.indexOf('\t');
    return tab >= 0 ? text.mid(tab) : QString();
}
bool keepsItsKeys(const QString& source, const QString& translation) {
    return shortcut(source) == shortcut(translation) &&
           (accelerator(source).isEmpty() || accelerator(source) == accelerator(translation));
}

TEST(TranslationFiles, EveryTextIsTranslatedOrAlreadyInTheTargetLanguage) {
    for (const char* lang : {"en", "zh"}) {
        const auto messages = readTs(tsPath(lang));
        ASSERT_GT(messages.size(), 300u) << lang;
        QStringList missing, wrong;
        for (const TsMessage& m : messages) {
            if (m.unfinished || m.translation.isEmpty()) {
                if (!inTargetScript(m.source, lang))
                    missing << m.context + ": " + m.source;
                continue;
            }
            // A translation keeps the placeholders, the accelerator key and the shortcut.
            if (placeholders(m.source) != placeholders(m.translation) ||
                !keepsItsKeys(m.source, m.translation) ||
                (m.translation != m.source && !inTargetScript(m.translation, lang)))
                wrong << m.source + " -> " + m.translation;
        }
        EXPECT_EQ(missing.join('\n').toStdString(), "") << lang << ": not translated";
        EXPECT_EQ(wrong.join('\n').toStdString(), "") << lang << ": translated badly";
    }
}

// "--lang en" left every English entry unfinished, so the system's own English stayed ("Note: 60
// (Article) recording", "No search appliance！"), and the Chinese file left its Chinese ones.
TEST(TranslationFiles, EveryEntryIsFinishedAndTheEnglishIsPlainEnglish) {
    // Han characters and the full-width forms and CJK punctuation ("！", "：", "，", "。").
    const QRegularExpression cjk(QStringLiteral(
        "[\\x{3000}-\\x{303f}\\x{3400}-\\x{9fff}\\x{f900}-\\x{faff}\\x{ff00}-\\x{ffef}]"));
    for (const char* lang : {"en", "zh"}) {
        QStringList unfinished, notEnglish;
        for (const TsMessage& m : readTs(tsPath(lang))) {
            if (m.unfinished || m.translation.isEmpty())
                unfinished << m.context + ": " + m.source;
            if (QString(lang) == "en" && m.translation.contains(cjk))
                notEnglish << m.source + " -> " + m.translation;
        }
        EXPECT_EQ(unfinished.join('\n').toStdString(), "") << lang;
        EXPECT_EQ(notEnglish.join('\n').toStdString(), "") << lang;
    }
}

// What the core says reaches the window in the language chosen: every text of context "Core" as
// its translation, the composed ones with their arguments, and the data collection's checks
// (once plain literals that no translation could reach).
TEST(Translation, EveryCoreMessageReachesTheWindowTranslated) {
    Language en("en");
    ASSERT_TRUE(en.ok);
    QStringList wrong;
    for (const TsMessage& m : readTs(tsPath("en"))) {
        if (m.context != "Core")
            continue;
        const std::string source = m.source.toStdString();
        QString expected = m.translation;
        std::vector<std::string> args;
        for (int i = 1; source.find("%" + std::to_string(i)) != std::string::npos; ++i) {
            args.push_back("<" + std::to_string(i) + ">");
            expected.replace(QString("%%1").arg(i), QString::fromStdString(args.back()));
        }
        std::vector<Message> verbatim;
        for (const std::string& a : args) verbatim.push_back(Message::verbatim(a));
        const QString shown =
            trCore(args.empty() ? Message(source) : Message::composed(source, verbatim));
        if (shown != expected)
            wrong << m.source + " -> " + shown;
    }
    EXPECT_EQ(wrong.join('\n').toStdString(), "");
    const auto t0 = std::chrono::system_clock::now();
    const struct {
        std::string message;
        const char* shown;
    } checks[] = {
        {GatherSession::checkReservation(t0, t0 + std::chrono::hours(1), "", t0).message,
         "The interval cannot be empty."},
        {GatherSession::checkReservation(t0, t0, "1", t0).message,
         "The end time cannot be earlier than the start time."},
        {GatherSession::checkImmediate("", "").message,
         "The interval or the duration cannot be empty."},
        {GatherSession::checkImmediate("90", "1").message,
         "The duration cannot be shorter than the interval."},
    };
    for (const auto& c : checks) EXPECT_EQ(trCore(c.message).toStdString(), c.shown) << c.message;
}

// The files hold exactly the texts the sources mark: lupdate over the sources adds and drops
// nothing (run scripts/update-translations, translate, commit).
TEST(TranslationFiles, AreUpToDateWithTheSources) {
    if (!QFile::exists(KORV_LUPDATE_PATH))
        GTEST_SKIP() << "no lupdate";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList copies;
    for (const char* lang : {"en", "zh"}) {
        const QString copy = dir.filePath(QString("korvelantis_%1.ts").arg(lang));
        ASSERT_TRUE(QFile::copy(tsPath(lang), copy));
        copies << copy;
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LUPDATE", KORV_LUPDATE_PATH);
    p.setProcessEnvironment(env);
    p.start(KORV_SOURCE_DIR "/scripts/update-translations", copies);
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    for (int i = 0; i < 2; ++i) {
        auto key = [](const std::vector<TsMessage>& ms) {
            QSet<QString> out;
            for (const TsMessage& m : ms) out << m.context + '\x1f' + m.source;
            return out;
        };
        const auto tree = key(readTs(tsPath(i == 0 ? "en" : "zh")));
        const auto fresh = key(readTs(copies[i]));
        QStringList added, dropped;
        for (const QString& k : fresh - tree) added << k;
        for (const QString& k : tree - fresh) dropped << k;
        EXPECT_EQ(added.join('\n').toStdString(), "") << "texts not yet in " << i;
        EXPECT_EQ(dropped.join('\n').toStdString(), "") << "texts no longer marked in " << i;
    }
}

}  // namespace
