// The skip editor's values and the title's skip record they are written through to, on
// a real record database.
#include "MainController/Video/View/KKjerkcouncil.h"
#include "MainController/Video/View/KKobligesuicide.h"
#include "app/Records/KKreapedit.h"
#include "platform/ActiveSQLite/ASConfigration.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ui/UIDriver.h"

#include <gtest/gtest.h>

namespace {

class SkipEditor : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(
            ASConfigration::setDefaultDB(testsupport::freshFolder("Documents") / "fflist.db", "fflist.db"));
    }
    void TearDown() override { ASConfigration::closeDefaultDB(); }

    static std::shared_ptr<KKjerkcouncil> open(const std::string& vodId) {
        auto editor = KKjerkcouncil::make();
        editor->vod_id = vodId;
        editor->loadRecord();
        return editor;
    }
    static std::shared_ptr<KKreapedit> stored(const std::string& vodId) {
        auto found = KKreapedit::findFirst(ASAttributes{{"vod_id", vodId}});
        EXPECT_TRUE(found);
        return found ? *found : nullptr;
    }
    static void store(const std::string& vodId, double intro, double outro) {
        KKreapedit record;
        record.vod_id = vodId;
        record.startProgress = intro;
        record.endProgress = outro;
        ASSERT_TRUE(record.save());
    }
    static void tap(const std::shared_ptr<QMUIButton>& button, int times = 1) {
        for (int i = 0; i < times; ++i) {
            button->sendActionsForControlEvents(UIControlEventTouchUpInside);
        }
    }
};

TEST_F(SkipEditor, FieldTextReadsAsSecondsWithinTheLimits) {
    EXPECT_EQ(KKjerkcouncil::secondsFromText(""), 0);
    EXPECT_EQ(KKjerkcouncil::secondsFromText("90"), 90);
    EXPECT_EQ(KKjerkcouncil::secondsFromText("007"), 7);
    EXPECT_EQ(KKjerkcouncil::secondsFromText("  42s"), 42);
    EXPECT_EQ(KKjerkcouncil::secondsFromText("+12"), 12);
    EXPECT_EQ(KKjerkcouncil::secondsFromText("-5"), 0);
    EXPECT_EQ(KKjerkcouncil::secondsFromText("1234"), 999);
    EXPECT_EQ(KKjerkcouncil::secondsFromText("99999999999999999999"), 999);
    EXPECT_EQ(KKjerkcouncil::secondsFromText("abc"), 0);
    EXPECT_EQ(KKjerkcouncil::secondsFromText("十"), 0);
}

TEST_F(SkipEditor, OpeningWritesNothingForANewTitleAndDropsAnEmptyRecord) {
    auto fresh = open("1");
    EXPECT_EQ(fresh->kkhopelesspastime()->text(), "0");
    EXPECT_EQ(fresh->kkpastimeincidence()->text(), "0");
    EXPECT_EQ(stored("1"), nullptr);

    store("2", 0, 0);
    open("2");
    EXPECT_EQ(stored("2"), nullptr) << "a record of 0 and 0 is removed";

    store("3", 30.9, 12);
    auto loaded = open("3");
    EXPECT_EQ(loaded->min, 30);
    EXPECT_EQ(loaded->max, 12);
    EXPECT_EQ(loaded->kkhopelesspastime()->text(), "30");
    EXPECT_EQ(stored("3")->startProgress, 30.0) << "values are stored as whole seconds";
}

TEST_F(SkipEditor, ButtonsStepByFiveWithinZeroAnd999) {
    auto editor = open("7");
    int told = 0;
    editor->recordChanged = [&] { ++told; };
    tap(editor->kkfactorassure(), 2);
    EXPECT_EQ(editor->kkhopelesspastime()->text(), "10");
    ASSERT_NE(stored("7"), nullptr);
    EXPECT_EQ(stored("7")->startProgress, 10.0);
    EXPECT_EQ(told, 2);

    tap(editor->kkassurehopeless(), 3);
    EXPECT_EQ(stored("7")->endProgress, 15.0);
    // Intro back to 0 keeps the record for the outro.
    tap(editor->kkpearltestimony(), 2);
    ASSERT_NE(stored("7"), nullptr);
    EXPECT_EQ(stored("7")->startProgress, 0.0);
    EXPECT_EQ(stored("7")->endProgress, 15.0);
    // "-" never goes below 0; both at 0 remove the record.
    editor->max = 3;
    tap(editor->kktestimonyfactor());
    EXPECT_EQ(editor->max, 0);
    tap(editor->kktestimonyfactor());
    EXPECT_EQ(editor->kkpastimeincidence()->text(), "0");
    EXPECT_EQ(stored("7"), nullptr);

    editor->min = 997;
    tap(editor->kkfactorassure());
    EXPECT_EQ(editor->min, 999);
    EXPECT_EQ(editor->kkhopelesspastime()->text(), "999");
    EXPECT_EQ(stored("7")->startProgress, 999.0);
}

// Edits that the database refuses to write (its connection may only read meanwhile) leave
// the stored record as it was, and the page is not told of a change that did not happen;
// once writing works again the next edit is stored.
TEST_F(SkipEditor, AFailedWriteKeepsTheStoredRecord) {
    testsupport::useVirtualClock();
    store("5", 20, 10);
    auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 390, 844));
    auto editor = open("5");
    editor->setFrame(window->bounds());
    window->addSubview(editor);
    window->makeKeyAndVisible();
    testsupport::ui::UIDriver ui(window);
    ui.runLoop();
    int told = 0;
    editor->recordChanged = [&] { ++told; };
    auto database = ASConfigration::defaultDB();
    ASSERT_TRUE(database);
    auto& connection = (*database)->connection();

    ASSERT_TRUE(connection.execute("PRAGMA query_only = 1"));
    ui.tap(editor->kkhopelesspastime());
    editor->kkhopelesspastime()->selectAll();
    ui.type("45");
    ui.tap(editor->kkassurehopeless());
    EXPECT_EQ(editor->kkhopelesspastime()->text(), "45");
    EXPECT_EQ(editor->kkpastimeincidence()->text(), "15");
    // Both back to 0 would remove the record: refused as well.
    editor->kkhopelesspastime()->selectAll();
    ui.type("0");
    for (int i = 0; i < 3; ++i) {
        ui.tap(editor->kktestimonyfactor());
    }
    EXPECT_EQ(editor->kkpastimeincidence()->text(), "0");
    auto kept = stored("5");
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->startProgress, 20.0);
    EXPECT_EQ(kept->endProgress, 10.0);
    EXPECT_EQ(told, 0);

    ASSERT_TRUE(connection.execute("PRAGMA query_only = 0"));
    ui.tap(editor->kkassurehopeless());
    auto written = stored("5");
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->startProgress, 0.0);
    EXPECT_EQ(written->endProgress, 5.0);
    EXPECT_EQ(told, 1);
}

TEST(RatePanel, PositionsStandForTheirRatesAndLaterOnesForHalfSpeed) {
    const float expected[] = {2.0F, 1.5F, 1.25F, 1.0F, 0.75F, 0.5F, 0.5F, 0.5F};
    for (std::size_t position = 0; position < std::size(expected); ++position) {
        EXPECT_EQ(KKobligesuicide::rateAt(position), expected[position]) << position;
    }
    auto panel = KKobligesuicide::make();
    ASSERT_EQ(panel->kkloungecandy()->arrangedSubviews().size(), KKobligesuicide::rateCount);
}

} // namespace
