// The table page (bounded cells, CSV export) and the curve page (fonts, the saved picture).
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <cerrno>
#include <cstring>

#include "acquisition/RecordFile.h"
#include "acquisition/RecordImport.h"
#include "acquisition/qt/CurvePage.h"
#include "acquisition/qt/TablePage.h"
#include "common/qt/FileDialogs.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestBus.h"

namespace {

struct Rig {
    Rig() : ctx(messages) { ctx.dataDir = dir.path(); }
    ~Rig() { FileDialogs::setTestAnswer({}); }
    // Every dialog is answered with `path`; the request is kept.
    void answer(const std::string& path) {
        FileDialogs::setTestAnswer([this, path](const FileDialogs::Request& r) {
            request = r;
            return QString::fromStdString(path);
        });
    }
    std::shared_ptr<RecordTable> import(const std::string& name, const std::string& bytes) {
        writeFileBytes(dir.file(name), bytes);
        auto table = std::make_shared<RecordTable>();
        RecordingMessages m;
        importRecordFile(dir.file(name), *table, ctx.importState, m);
        return table;
    }

    TempDir dir;
    RecordingMessages messages;
    AppContext ctx;
    FileDialogs::Request request;
};

const std::string kTwo = std::string(kRecordHeader) + "12-07 10:00\t20.000\t0\t0\t0\r\n" +
                         "12-07 10:10\t30.000\t0\t0\t0\r\n";

}  // namespace

TEST(TablePage, LongFieldsAreShownCutAndNamesKeptShort) {
    Rig r;
    const std::string longName(1000, 'N'), longCell(100000, 'c');
    CTablePage page(r.ctx);
    page.BindTable(r.import("a.rec", "\t" + longName + "\tB\r\n" + longCell + "\tx\r\n"));
    auto* m = page.model();
    const QString cell = m->data(m->index(0, 0), Qt::DisplayRole).toString();
    EXPECT_EQ(cell, QString(kMaxShownBytes, 'c') + "...");
    EXPECT_EQ(m->data(m->index(0, 1), Qt::DisplayRole).toString(), "x");
    EXPECT_EQ(m->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              QString(kMaxFieldNameBytes, 'N') + "...");
    // GBK text shows as what it says; a cut never splits a character.
    EXPECT_EQ(shownRecordText("\xA1\xE6"), QString::fromUtf8("℃"));
    EXPECT_EQ(shownRecordText(std::string(kMaxShownBytes - 1, 'a') + "\xA1\xE6"),
              QString(kMaxShownBytes - 1, 'a') + "...");
}

TEST(TablePage, ExportWritesTheBoundTableAsCsv) {
    Rig r;
    CTablePage page(r.ctx);
    EXPECT_FALSE(page.exportButton()->isEnabled());
    page.BindTable(r.import("20241207095955.rec", kTwo));
    ASSERT_TRUE(page.exportButton()->isEnabled());
    r.answer(r.dir.file("out.csv"));
    page.exportButton()->click();
    EXPECT_TRUE(r.request.save);
    EXPECT_EQ(r.request.title, "Export data file");
    EXPECT_EQ(r.request.filter, "CSV Files (*.csv);;All Files (*)");
    EXPECT_EQ(r.request.defaultSuffix, "csv");
    EXPECT_EQ(r.request.directory.toStdString(), r.dir.file("20241207095955.csv"));
    const auto b = readFileBytes(r.dir.file("out.csv"));
    EXPECT_EQ(std::string(b.begin(), b.end()),
              "Time,1,2,3,4\r\n2024-12-07T10:00,20.000,0,0,0\r\n2024-12-07T10:10,30.000,0,0,0\r\n");
    EXPECT_TRUE(r.messages.texts().empty());

    r.answer(r.dir.file("no/such/out.csv"));
    page.exportButton()->click();
    const auto e = r.messages.entries();
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].text, "File Write Failed!");
    EXPECT_EQ(e[0].detail, std::strerror(ENOENT));
}

TEST(CurvePage, LabelsUseTheTwentyPixelFaceAndTheReadoutFifteen) {
    Rig r;
    CCurvePage page(r.ctx);
    for (CColorLabel* l : {page.xLabel(1), page.xLabel(10), page.timeUnitLabel(), page.topLabel(),
                           page.middleLabel(), page.bottomLabel(), page.unitLabel()}) {
        EXPECT_EQ(l->textFont().pixelSize(), 20) << l->objectName().toStdString();
        EXPECT_EQ(l->textFont().family(), "Arial");
        EXPECT_GE(l->height(), QFontMetrics(l->textFont()).height());
    }
    EXPECT_EQ(page.readoutLabel()->textFont().pixelSize(), 15);
    // The widest value label text fits beside the plot.
    EXPECT_GE(page.bottomLabel()->width(),
              QFontMetrics(page.bottomLabel()->textFont()).horizontalAdvance("-180.000"));
}

// The labels were 24 px tall whatever their face needed (28 px with common desktop fonts):
// with a taller face every label still holds its whole text.
TEST(CurvePage, LabelsAreSizedFromTheirFont) {
    Rig r;
    CCurvePage page(r.ctx);
    const std::vector<CColorLabel*> labels{
        page.xLabel(1),     page.xLabel(10),    page.timeUnitLabel(), page.topLabel(),
        page.middleLabel(), page.bottomLabel(), page.unitLabel(),     page.readoutLabel()};
    page.readoutLabel()->SetText("12-07 10:40, 24.800");
    page.show();
    for (int pixels : {20, 30}) {
        for (CColorLabel* l : labels) l->SetFont("Arial", pixels);
        page.resize(900, 455 + pixels);
        QApplication::processEvents();
        for (CColorLabel* l : labels) {
            const QFontMetrics fm(l->textFont());
            EXPECT_GE(l->height(), fm.height()) << l->objectName().toStdString() << pixels;
            if (l != page.readoutLabel() && l != page.topLabel() && l != page.middleLabel() &&
                l != page.bottomLabel()) {
                EXPECT_GE(l->width(), fm.horizontalAdvance(l->text()))
                    << l->objectName().toStdString() << pixels;
            }
        }
    }
}

TEST(CurvePage, SavedPictureIsThePlotWithItsLabelsWithoutTheCrossHair) {
    Rig r;
    CCurvePage page(r.ctx);
    page.resize(900, 455);
    page.show();
    QApplication::processEvents();
    EXPECT_FALSE(page.saveButton()->isEnabled());
    r.import("a.rec", kTwo);
    page.loadFromImport();
    ASSERT_TRUE(page.saveButton()->isEnabled());
    const QImage plot = page.plot()->image();
    page.plot()->crossHairAt(300, 100);
    ASSERT_NE(page.plot()->image(), plot);
    r.answer(r.dir.file("curve.png"));
    page.saveButton()->click();
    EXPECT_EQ(r.request.filter, "PNG Files (*.png);;All Files (*)");
    EXPECT_EQ(r.request.defaultSuffix, "png");
    QImage saved(QString::fromStdString(r.dir.file("curve.png")));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.width(), 900);
    const QRect at = page.plot()->geometry();
    EXPECT_EQ(saved.copy(at).convertToFormat(plot.format()), plot);
    // The value labels are in it: the top label's text is not the page's plain colour.
    const QRect top = page.topLabel()->geometry();
    bool ink = false;
    for (int x = top.left(); x < top.right(); ++x)
        ink |= saved.pixel(x, top.center().y()) != qRgb(205, 216, 228);
    EXPECT_TRUE(ink);

    r.answer(r.dir.file("no/such/curve.png"));
    page.saveButton()->click();
    EXPECT_EQ(r.messages.texts(), std::vector<std::string>{"File Write Failed!"});
}
