#include "progress.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>

namespace tukomi {
namespace {

std::map<int, int> bestTimes(const Progress& progress) {
    std::map<int, int> times;
    for (int n = -1; n <= 40; ++n)
        if (auto best = progress.bestSeconds(n))
            times[n] = *best;
    return times;
}

TEST(Progress, ReadsOnlyItsOwnFileAndSkipsWhatMakesNoSense) {
    const struct {
        const char* name;
        const char* content;
        std::map<int, int> expected;
    } cases[] = {
        {"own", "[tukomi-progress]\n; remark\n1=42\n6=17\n", {{1, 42}, {6, 17}}},
        {"crlf and blanks", "\r\n[tukomi-progress]\r\n 3 = 9 \r\n", {{3, 9}}},
        {"the best of repeated lines", "[tukomi-progress]\n2=30\n2=12\n2=50\n", {{2, 12}}},
        {"nonsense lines skipped",
         "[tukomi-progress]\n0=5\n33=5\n4=-1\n5=abc\n=7\n8\n9=356400\n10=356401\n11=2\n",
         {{9, 356400}, {11, 2}}},
        {"another program's ini", "[General]\n1=42\n", {}},
        {"our header too late", "1=42\n[tukomi-progress]\n2=3\n", {}},
        {"binary", "\x89PNG\r\n\x1a\n", {}},
        {"empty", "", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bestTimes(Progress::parse(c.content)), c.expected) << c.name;
}

TEST(Progress, KeepsTheFirstAndEveryBetterTime) {
    Progress progress;
    EXPECT_EQ(progress.listMark(5), QString());
    EXPECT_TRUE(progress.record(5, 40));
    EXPECT_FALSE(progress.record(5, 40));
    EXPECT_FALSE(progress.record(5, 55));
    EXPECT_TRUE(progress.record(5, 0));
    EXPECT_FALSE(progress.record(33, 1)) << "pictures beyond the list have no entry to mark";
    EXPECT_EQ(bestTimes(progress), (std::map<int, int>{{5, 0}}));
    // No break inside the mark: a no-break space and a word joiner hold it together.
    EXPECT_EQ(progress.listMark(5), QString::fromUtf8(" ✓\u00A00\u2060秒"));
}

TEST(Progress, FileIsReplacedWholeAndUnreadableFilesAreNoProgress) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString path = home.path() + QStringLiteral("/new/tukomi/progress.ini");
    EXPECT_TRUE(bestTimes(Progress::load(path)).empty()) << "no file yet";

    Progress progress;
    progress.record(1, 42);
    progress.record(32, 7);
    ASSERT_TRUE(progress.save(path)) << "the folder is made";
    EXPECT_EQ(bestTimes(Progress::load(path)), bestTimes(progress));

    // A foreign file in its place reads as nothing and is replaced by the next save.
    QFile foreign(path);
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly | QIODevice::Truncate));
    foreign.write("[General]\n1=1\n");
    foreign.close();
    Progress fresh = Progress::load(path);
    EXPECT_TRUE(bestTimes(fresh).empty());
    fresh.record(2, 5);
    ASSERT_TRUE(fresh.save(path));
    EXPECT_EQ(bestTimes(Progress::load(path)), (std::map<int, int>{{2, 5}}));

    // A folder where the file should be can be neither read nor replaced; neither fails loudly.
    const QString blocked = home.path() + QStringLiteral("/blocked.ini");
    ASSERT_TRUE(QDir().mkpath(blocked));
    EXPECT_TRUE(bestTimes(Progress::load(blocked)).empty());
    QString error;
    EXPECT_FALSE(fresh.save(blocked, &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace tukomi
