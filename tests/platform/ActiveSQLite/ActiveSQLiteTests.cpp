#include "platform/ActiveSQLite/ASConfigration.h"
#include "platform/ActiveSQLite/SQLiteConnection.h"
#include "tests/platform/ActiveSQLite/TestModels.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <sys/stat.h>

namespace {

class ActiveSQLite : public testing::Test {
  protected:
    void SetUp() override {
        path_ = testsupport::freshFolder("records") / "test.db";
        ASSERT_TRUE(ASConfigration::setDefaultDB(path_, "test.db"));
    }
    void TearDown() override { ASConfigration::closeDefaultDB(); }

    static std::shared_ptr<Note> saveNote(const std::string& title, double score = 0.5) {
        auto note = std::make_shared<Note>();
        note->title = title;
        note->score = score;
        EXPECT_TRUE(note->save());
        return note;
    }

    static std::vector<std::string> titles(const std::vector<std::shared_ptr<Note>>& notes) {
        std::vector<std::string> result;
        for (const auto& note : notes) {
            result.push_back(note->title);
        }
        return result;
    }

    std::filesystem::path path_;
};

TEST_F(ActiveSQLite, NewRecordsStoreTheirDefaultsAndReadBackAfterReopening) {
    Note note;
    ASSERT_FALSE(note.id.has_value());
    ASSERT_TRUE(note.save());
    ASSERT_TRUE(note.id.has_value());
    EXPECT_TRUE(note.created_at.has_value());

    ASConfigration::closeDefaultDB();
    ASSERT_TRUE(ASConfigration::setDefaultDB(path_, "test.db"));
    auto found = Note::findFirst("id", *note.id);
    ASSERT_TRUE(found);
    ASSERT_NE(*found, nullptr);
    EXPECT_EQ((*found)->title, "");
    EXPECT_EQ((*found)->body, "empty");
    EXPECT_DOUBLE_EQ((*found)->score, 0.5);
    EXPECT_EQ((*found)->count, 7);
    EXPECT_EQ((*found)->created_at, note.created_at);

    auto mode = SQLite::Connection::open(path_);
    ASSERT_TRUE(mode);
    auto statement = (*mode)->prepare("PRAGMA journal_mode");
    ASSERT_TRUE(statement);
    ASSERT_TRUE(*statement->step());
    EXPECT_EQ(statement->text(0), "wal");
}

TEST_F(ActiveSQLite, LookupsFindTheFirstStoredMatchOrNothing) {
    saveNote("a", 1);
    saveNote("b", 2);
    saveNote("a", 3);

    auto first = Note::findFirst({{"title", "a"}});
    ASSERT_TRUE(first);
    ASSERT_NE(*first, nullptr);
    EXPECT_DOUBLE_EQ((*first)->score, 1);

    auto both = Note::findFirst({{"title", "a"}, {"score", 3.0}});
    ASSERT_TRUE(both && *both);
    EXPECT_DOUBLE_EQ((*both)->score, 3);

    auto none = Note::findFirst({{"title", "c"}});
    ASSERT_TRUE(none);
    EXPECT_EQ(*none, nullptr);

    // An absent value matches only columns without a value; stored texts never lack one.
    auto absent = Note::findFirst("title", std::optional<std::string>());
    ASSERT_TRUE(absent);
    EXPECT_EQ(*absent, nullptr);
}

TEST_F(ActiveSQLite, FindAllKeepsStorageOrderAfterTheRequestedOrders) {
    saveNote("b", 1);
    saveNote("a", 2);
    saveNote("b", 3);
    saveNote("c", 1);

    auto all = Note::findAll(ASAttributes{});
    ASSERT_TRUE(all);
    EXPECT_EQ(titles(*all), (std::vector<std::string>{"b", "a", "b", "c"}));

    auto ordered = Note::findAll(ASAttributes{}, {{"score", false}, {"title", true}});
    ASSERT_TRUE(ordered);
    EXPECT_EQ(titles(*ordered), (std::vector<std::string>{"b", "a", "b", "c"}));
    EXPECT_DOUBLE_EQ((*ordered)[0]->score, 3);
    EXPECT_DOUBLE_EQ((*ordered)[2]->score, 1);

    auto filtered = Note::findAll({{"title", "b"}}, {{"score", false}});
    ASSERT_TRUE(filtered);
    ASSERT_EQ(filtered->size(), 2u);
    EXPECT_DOUBLE_EQ((*filtered)[0]->score, 3);
}

TEST_F(ActiveSQLite, ExpressionsCombineComparisons) {
    saveNote("done", 1);
    saveNote("open", 2);
    saveNote("odd", 3);
    saveNote("done", 4);

    auto notDone = Note::findAll(ASColumnRef("title") != "done");
    ASSERT_TRUE(notDone);
    EXPECT_EQ(titles(*notDone), (std::vector<std::string>{"open", "odd"}));

    auto combined = Note::findAll((ASColumnRef("title") == "done" && ASColumnRef("score") > 1.5) ||
                                      ASColumnRef("title") == "odd",
                                  {{"score", true}});
    ASSERT_TRUE(combined);
    EXPECT_EQ(titles(*combined), (std::vector<std::string>{"odd", "done"}));

    auto negated = Note::findAll(!(ASColumnRef("score") <= 2.0));
    ASSERT_TRUE(negated);
    EXPECT_EQ(negated->size(), 2u);

    auto best = Note::findFirst(ASColumnRef("title") == "done", {{"score", false}});
    ASSERT_TRUE(best && *best);
    EXPECT_DOUBLE_EQ((*best)->score, 4);
    auto missing = Note::findFirst(ASColumnRef("title") == "none");
    ASSERT_TRUE(missing);
    EXPECT_EQ(*missing, nullptr);

    auto everyStored = Note::findAll(ASColumnRef("title") != std::optional<std::string>());
    ASSERT_TRUE(everyStored);
    EXPECT_EQ(everyStored->size(), 4u);
}

TEST_F(ActiveSQLite, UnknownColumnsAreRefusedWithAnError) {
    saveNote("a");
    auto byAttribute = Note::findFirst({{"title; DROP TABLE Note", "a"}});
    ASSERT_FALSE(byAttribute);
    EXPECT_EQ(byAttribute.error().code, SQLITE_ERROR);
    EXPECT_NE(byAttribute.error().message.find("no such column"), std::string::npos);
    EXPECT_FALSE(Note::findAll(ASColumnRef("missing") == 1));
    EXPECT_FALSE(Note::findAll(ASAttributes{}, {{"missing", true}}));

    auto all = Note::findAll(ASAttributes{});
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 1u);
}

TEST_F(ActiveSQLite, UpdateWritesOnlyChangedColumnsSoTwoCopiesOfARowDoNotUndoEachOther) {
    auto original = saveNote("shared", 0.0);
    auto first = *Note::findFirst("title", "shared");
    auto second = *Note::findFirst("title", "shared");

    first->score = 0.75;
    ASSERT_TRUE(first->update());
    second->body = "watched";
    ASSERT_TRUE(second->update());

    auto stored = *Note::findFirst("title", "shared");
    EXPECT_DOUBLE_EQ(stored->score, 0.75);
    EXPECT_EQ(stored->body, "watched");
    EXPECT_EQ(stored->id, original->id);
    EXPECT_GE(*stored->updated_at, *stored->created_at);
}

TEST_F(ActiveSQLite, WritesToADeletedRowFailWithoutBringingItBack) {
    auto note = saveNote("gone");
    auto copy = *Note::findFirst("title", "gone");
    ASSERT_TRUE(note->deleteRecord());
    EXPECT_FALSE(note->id.has_value());

    copy->score = 0.9;
    auto updated = copy->update();
    ASSERT_FALSE(updated);
    EXPECT_EQ(updated.error().code, SQLITE_NOTFOUND);
    auto saved = copy->save();
    EXPECT_FALSE(saved);
    EXPECT_EQ(*Note::findFirst("title", "gone"), nullptr);

    Note never;
    EXPECT_FALSE(never.update());
    EXPECT_TRUE(never.deleteRecord());
    EXPECT_TRUE(copy->deleteRecord()); // already gone
}

TEST_F(ActiveSQLite, SavingANewRecordWithAStoredKeyWritesThatRowBack) {
    Slot first;
    first.group = "g";
    first.index = "1";
    first.order = "first";
    ASSERT_TRUE(first.save());

    Slot second;
    second.group = "g";
    second.index = "1";
    second.order = "second";
    ASSERT_TRUE(second.save());
    EXPECT_EQ(second.id, first.id);
    EXPECT_EQ(second.created_at, first.created_at);

    auto all = Slot::findAll(ASAttributes{});
    ASSERT_TRUE(all);
    ASSERT_EQ(all->size(), 1u);
    EXPECT_EQ((*all)[0]->order, "second");

    Slot other;
    other.group = "g";
    other.index = "2";
    ASSERT_TRUE(other.save());
    EXPECT_NE(other.id, first.id);

    // Moving a stored record onto another's key is refused; both rows stay as they were.
    other.index = "1";
    auto moved = other.update();
    ASSERT_FALSE(moved);
    EXPECT_EQ(moved.error().code, SQLITE_CONSTRAINT_UNIQUE);
    auto byKey = Slot::findAll(ASAttributes{}, {{"index", true}});
    ASSERT_TRUE(byKey);
    ASSERT_EQ(byKey->size(), 2u);
    EXPECT_EQ((*byKey)[0]->order, "second");
    EXPECT_EQ((*byKey)[1]->index, "2");
}

TEST_F(ActiveSQLite, HostileAndUnusualTextsRoundTripAndMatchExactly) {
    const std::vector<std::string> texts = {
        "it's \"quoted\"",
        "'); DROP TABLE Note; --",
        "SELECT * FROM Note WHERE 1=1",
        "index",
        std::string("nul\0inside", 10),
        "\xff\xfe\x80 not utf-8",
        "中文标题《测试》",
        "emoji 🎬",
        "%_\\",
        std::string(70000, 'x'),
    };
    for (const auto& text : texts) {
        auto note = std::make_shared<Note>();
        note->title = text;
        note->body = text;
        ASSERT_TRUE(note->save());
    }
    for (const auto& text : texts) {
        auto found = Note::findAll({{"title", text}});
        ASSERT_TRUE(found);
        ASSERT_EQ(found->size(), 1u) << text.substr(0, 40);
        EXPECT_EQ((*found)[0]->title, text);
        EXPECT_EQ((*found)[0]->body, text);
    }
    // "nul" alone must not match the text that continues past the zero byte.
    EXPECT_EQ(*Note::findFirst("title", "nul"), nullptr);
    auto all = Note::findAll(ASAttributes{});
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), texts.size());
}

TEST_F(ActiveSQLite, ColumnsOfANewerRecordTypeAreAddedWithTheirDefaults) {
    saveNote("old");
    auto migrated = NoteV2::findFirst("title", "old");
    ASSERT_TRUE(migrated);
    ASSERT_NE(*migrated, nullptr);
    EXPECT_EQ((*migrated)->tag, "new");

    (*migrated)->tag = "changed";
    ASSERT_TRUE((*migrated)->update());
    auto byTag = NoteV2::findAll({{"tag", "changed"}});
    ASSERT_TRUE(byTag);
    EXPECT_EQ(byTag->size(), 1u);
    // The older type still reads and writes the table.
    auto old = Note::findFirst("title", "old");
    ASSERT_TRUE(old && *old);
    (*old)->score = 2;
    EXPECT_TRUE((*old)->update());
    EXPECT_EQ((*NoteV2::findFirst("title", "old"))->tag, "changed");
}

TEST_F(ActiveSQLite, TablesAndColumnsAreNamedAfterTheTypeAndItsMembers) {
    Slot slot;
    ASSERT_TRUE(slot.save());
    auto connection = SQLite::Connection::open(path_);
    ASSERT_TRUE(connection);
    auto columns = (*connection)->prepare("SELECT name FROM pragma_table_info('Slot')");
    ASSERT_TRUE(columns);
    std::vector<std::string> names;
    while (*columns->step()) {
        names.push_back(columns->text(0));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"id", "created_at", "updated_at", "group", "index", "order"}));
}

TEST(ActiveSQLiteConfiguration, OperationsWithoutADatabaseFail) {
    ASConfigration::closeDefaultDB();
    EXPECT_FALSE(Note::findFirst("title", "a"));
    Note note;
    auto saved = note.save();
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().code, SQLITE_CANTOPEN);
}

TEST(ActiveSQLiteConfiguration, AFileThatIsNotADatabaseIsRefusedAndLeftAlone) {
    const auto path = testsupport::freshFolder("garbage") / "fflist.db";
    const std::string garbage(4096, 'Z');
    std::ofstream(path, std::ios::binary) << garbage;

    auto opened = ASConfigration::setDefaultDB(path, "fflist.db");
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().code, SQLITE_NOTADB);
    EXPECT_FALSE(Note::findFirst("title", "a"));

    std::ifstream in(path, std::ios::binary);
    const std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(contents, garbage);

    ASSERT_TRUE(ASConfigration::setDefaultDB(testsupport::freshFolder("fresh") / "fflist.db", "fflist.db"));
    Note note;
    EXPECT_TRUE(note.save());
    ASConfigration::closeDefaultDB();
}

// A new database and its journals are for their owner alone, whatever the umask: what the
// records tell (what was watched and downloaded) is nobody else's to read.
TEST(ActiveSQLiteConfiguration, ANewDatabaseAndItsJournalsAreReadableByTheirOwnerAlone) {
    const mode_t previous = ::umask(022);
    const auto path = testsupport::freshFolder("private") / "fflist.db";
    ASSERT_TRUE(ASConfigration::setDefaultDB(path, "fflist.db"));
    Note note;
    ASSERT_TRUE(note.save());
    for (const auto& file : {path, std::filesystem::path(path.string() + "-wal"),
                             std::filesystem::path(path.string() + "-shm")}) {
        struct stat status {};
        ASSERT_EQ(::stat(file.c_str(), &status), 0) << file;
        EXPECT_EQ(status.st_mode & 0777, 0600u) << file;
    }
    ASConfigration::closeDefaultDB();
    ::umask(previous);
}

} // namespace
