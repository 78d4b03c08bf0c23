// The diagnostic log against a log file in a temporary folder.

#include "support/Log.h"

#include "common/SmallFileSystem.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <climits>
#include <thread>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

const QString StampFormat = QStringLiteral("dd.MM.yyyy hh:mm:ss.zzz");

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly) {
    QFile file(path);
    ASSERT_TRUE(file.open(mode));
    file.write(bytes);
}

// One line of the log split into its time stamp and its message.
struct TLogLine {
    QDateTime Stamp;
    QString Message;
};

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SavedLevel = LogLevel;
        SavedFileName = LogFileName;
        ASSERT_TRUE(Dir.isValid());
        FilePath = Dir.filePath(QStringLiteral("import.log"));
        LogFileName = FilePath;
        LogLevel = 1;
        ResetLogState();
    }
    void TearDown() override {
        LogLevel = SavedLevel;
        LogFileName = SavedFileName;
        ResetLogState();
    }

    // The file's lines; every line must end in CR LF and carry a well-formed time stamp.
    std::vector<TLogLine> Lines(const QString& path) const {
        const QByteArray bytes = ReadFile(path);
        std::vector<TLogLine> lines;
        if (bytes.isEmpty()) return lines;
        EXPECT_TRUE(bytes.endsWith("\r\n")) << bytes.constData();
        static const QRegularExpression pattern(
            QStringLiteral("^(\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d\\.\\d{3}): (.*)$"),
            QRegularExpression::DotMatchesEverythingOption);
        QList<QByteArray> pieces = bytes.split('\n');
        pieces.removeLast();  // after the final line end
        for (const QByteArray& piece : pieces) {
            EXPECT_TRUE(piece.endsWith('\r')) << piece.constData();
            const QString text = QString::fromUtf8(piece.chopped(1));
            const QRegularExpressionMatch match = pattern.match(text);
            EXPECT_TRUE(match.hasMatch()) << piece.constData();
            lines.push_back({QDateTime::fromString(match.captured(1), StampFormat), match.captured(2)});
        }
        return lines;
    }
    std::vector<TLogLine> Lines() const { return Lines(FilePath); }

    static QStringList Messages(const std::vector<TLogLine>& lines) {
        QStringList messages;
        for (const TLogLine& line : lines) messages << line.Message;
        return messages;
    }
    QStringList Messages() const { return Messages(Lines()); }

    static QDateTime NowToTheMillisecond() {
        return QDateTime::fromString(QDateTime::currentDateTime().toString(StampFormat), StampFormat);
    }

    QTemporaryDir Dir;
    QString FilePath;
    std::uint8_t SavedLevel = 0;
    QString SavedFileName;
};

#ifndef Q_OS_WIN
// Catches what the log sends to standard error while it lives.
class TStderrCapture {
public:
    explicit TStderrCapture(const QString& path) : Path(path) {
        std::fflush(stderr);
        Saved = ::dup(2);
        const int target = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(target, 2);
        ::close(target);
    }
    ~TStderrCapture() { Finish(); }
    QByteArray Finish() {
        if (Saved >= 0) {
            std::fflush(stderr);
            ::dup2(Saved, 2);
            ::close(Saved);
            Saved = -1;
        }
        return ReadFile(Path);
    }

private:
    QString Path;
    int Saved = -1;
};

// Sets an environment variable for the life of a test.
class TEnvironmentVariable {
public:
    TEnvironmentVariable(const char* name, const QByteArray& value) : Name(name), Old(qgetenv(name)) {
        qputenv(name, value);
    }
    ~TEnvironmentVariable() {
        if (Old.isNull())
            qunsetenv(Name);
        else
            qputenv(Name, Old);
    }

private:
    const char* Name;
    QByteArray Old;
};
#endif

}  // namespace

TEST(ChoosePluralTest, PicksTheRussianFormByTheWholeNumberAndItsLastDigit) {
    const QString one = QStringLiteral("one"), few = QStringLiteral("few"), many = QStringLiteral("many");
    const struct {
        int N;
        QString Expected;
    } cases[] = {{0, many},   {1, one},    {2, few},   {3, few},    {4, few},      {5, many},    {11, many},
                 {12, many},  {14, many},  {20, many}, {21, one},   {22, few},     {24, few},    {25, many},
                 {30, many},  {101, one},  {111, one}, {112, few},  {-1, one},     {-3, few},    {-12, many},
                 {-22, few},  {-25, many}, {INT_MAX, many},         {INT_MIN, many}};
    for (const auto& item : cases) EXPECT_EQ(ChoosePlural(item.N, one, few, many), item.Expected) << item.N;
}

TEST(LogFileNameTest, ReplacesTheExtensionOfTheFileNameOnly) {
    EXPECT_EQ(LogFileNameForExecutable(QStringLiteral("/opt/import/Import.exe")), QStringLiteral("/opt/import/Import.log"));
    EXPECT_EQ(LogFileNameForExecutable(QStringLiteral("/opt/import/road-import")),
              QStringLiteral("/opt/import/road-import.log"));
    EXPECT_EQ(LogFileNameForExecutable(QStringLiteral("/opt/import.d/road-import")),
              QStringLiteral("/opt/import.d/road-import.log"));
    EXPECT_EQ(LogFileNameForExecutable(QStringLiteral("/opt/a.b.c")), QStringLiteral("/opt/a.b.log"));
}

TEST_F(LogTest, WithoutANameWritesBesideTheExecutable) {
    const QString expected = LogFileNameForExecutable(QCoreApplication::applicationFilePath());
    QFile::remove(expected);
    LogFileName.clear();
    WriteLog(QStringLiteral("beside the program"), 1);
    EXPECT_EQ(Messages(Lines(expected)), QStringList{QStringLiteral("beside the program")});
    QFile::remove(expected);
}

TEST_F(LogTest, WritesOneTimeStampedUtf8LinePerMessage) {
    WriteFile(FilePath, "earlier run\r\n");
    const QDateTime before = NowToTheMillisecond();
    WriteLog(QStringLiteral("Копирование таблицы Титул"), 1);
    WriteLog(QStringLiteral("second"), 0);
    const QDateTime after = NowToTheMillisecond();

    const QByteArray bytes = ReadFile(FilePath);
    ASSERT_TRUE(bytes.startsWith("earlier run\r\n"));  // a new run appends
    const QList<QByteArray> lines = bytes.mid(13).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(": Копирование таблицы Титул\r").toUtf8()));
    const QDateTime stamp = QDateTime::fromString(QString::fromLatin1(lines[0].left(23)), StampFormat);
    ASSERT_TRUE(stamp.isValid()) << lines[0].constData();
    EXPECT_LE(before, stamp);
    EXPECT_LE(stamp, after);
    EXPECT_TRUE(lines[1].endsWith(": second\r"));
}

TEST_F(LogTest, CollapsesARepeatedMessageIntoItsLastLine) {
    WriteLog(QStringLiteral("A"), 1);
    WriteLog(QStringLiteral("A"), 1);
    WriteLog(QStringLiteral("B"), 1);
    WriteLog(QStringLiteral("A"), 1);
    EXPECT_EQ(Messages(), (QStringList{QStringLiteral("A (сообщение повторилось 2 раза)"), QStringLiteral("B"),
                                       QStringLiteral("A")}));

    WriteLog(QStringLiteral("A"), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const QDateTime beforeThird = NowToTheMillisecond();
    WriteLog(QStringLiteral("A"), 1);
    std::vector<TLogLine> lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2].Message, QStringLiteral("A (сообщение повторилось 3 раза)"));
    EXPECT_LE(beforeThird, lines[2].Stamp);  // the time of the latest occurrence

    for (int i = 0; i < 2; ++i) WriteLog(QStringLiteral("A"), 1);
    EXPECT_EQ(Messages().last(), QStringLiteral("A (сообщение повторилось 5 раз)"));
    for (int i = 0; i < 17; ++i) WriteLog(QStringLiteral("A"), 1);
    EXPECT_EQ(Messages().last(), QStringLiteral("A (сообщение повторилось 22 раза)"));

    WriteLog(QStringLiteral("a"), 1);  // letter case makes another message
    EXPECT_EQ(Messages().mid(2), (QStringList{QStringLiteral("A (сообщение повторилось 22 раза)"), QStringLiteral("a")}));
}

TEST_F(LogTest, EmptyMessageIsWrittenOnceInARow) {
    WriteLog(QString(), 1);
    WriteLog(QString(), 1);
    EXPECT_EQ(Messages(), QStringList{QString()});
    EXPECT_TRUE(ReadFile(FilePath).endsWith(": \r\n"));

    WriteLog(QStringLiteral("X"), 1);
    WriteLog(QString(), 1);
    WriteLog(QString(), 1);
    EXPECT_EQ(Messages(), (QStringList{QString(), QStringLiteral("X"), QString()}));
}

TEST_F(LogTest, RepetitionNeverCutsLinesItDidNotWrite) {
    // Written to by someone else between two equal messages.
    WriteLog(QStringLiteral("A"), 1);
    WriteFile(FilePath, "01.02.2003 04:05:06.007: foreign line\r\n", QIODevice::Append);
    WriteLog(QStringLiteral("A"), 1);
    WriteLog(QStringLiteral("A"), 1);
    EXPECT_EQ(Messages(), (QStringList{QStringLiteral("A"), QStringLiteral("foreign line"),
                                       QStringLiteral("A (сообщение повторилось 3 раза)")}));

    // Deleted in between.
    QFile::remove(FilePath);
    WriteLog(QStringLiteral("A"), 1);
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("A (сообщение повторилось 4 раза)")});
    WriteLog(QStringLiteral("A"), 1);
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("A (сообщение повторилось 5 раз)")});

    // Another file named in between: the first file keeps its line.
    const QString other = Dir.filePath(QStringLiteral("other.log"));
    LogFileName = other;
    WriteLog(QStringLiteral("A"), 1);
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("A (сообщение повторилось 5 раз)")});
    EXPECT_EQ(Messages(Lines(other)), QStringList{QStringLiteral("A (сообщение повторилось 6 раз)")});
}

#ifndef Q_OS_WIN
TEST_F(LogTest, LevelAboveTheThresholdReachesNeitherFileNorDebugger) {
    TEnvironmentVariable debugLog("ROAD_IMPORT_DEBUG_LOG", "1");
    TStderrCapture capture(Dir.filePath(QStringLiteral("stderr.txt")));
    WriteLog(QStringLiteral("level two"), 2);
    WriteLog(QStringLiteral("level one"), 1);
    WriteLog(QStringLiteral("level zero"), 0);
    LogLevel = 0;
    WriteLog(QStringLiteral("threshold zero"), 1);
    WriteLog(QStringLiteral("Отладка"), 0);
    EXPECT_EQ(capture.Finish(), QStringLiteral("level one\nlevel zero\nОтладка\n").toUtf8());
    EXPECT_EQ(Messages(), (QStringList{QStringLiteral("level one"), QStringLiteral("level zero"),
                                       QStringLiteral("Отладка")}));
}

TEST_F(LogTest, DebuggerChannelIsSilentUnlessAsked) {
    TEnvironmentVariable debugLog("ROAD_IMPORT_DEBUG_LOG", "");
    TStderrCapture capture(Dir.filePath(QStringLiteral("stderr.txt")));
    WriteLog(QStringLiteral("quiet"), 1);
    EXPECT_TRUE(capture.Finish().isEmpty());
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("quiet")});
}

TEST_F(LogTest, UnwritableFileSwitchesTheFilePartOffForGood) {
    TEnvironmentVariable debugLog("ROAD_IMPORT_DEBUG_LOG", "1");
    const QString regularFile = Dir.filePath(QStringLiteral("plain"));
    WriteFile(regularFile, "not a folder");
    TStderrCapture capture(Dir.filePath(QStringLiteral("stderr.txt")));
    LogFileName = regularFile + QStringLiteral("/inside/import.log");
    EXPECT_NO_THROW(WriteLog(QStringLiteral("lost"), 1));
    LogFileName = FilePath;
    WriteLog(QStringLiteral("still lost"), 1);
    EXPECT_FALSE(QFile::exists(FilePath));
    EXPECT_EQ(capture.Finish(), QByteArray("lost\nstill lost\n"));
}

// A file system that fills up under the log: a line that does not fit is cut back out, a
// repetition whose counted line does not fit puts back the line it was to replace, and the
// user hears once why logging stopped. The file holds whole lines only, none half written.
TEST_F(LogTest, AFullFileSystemLeavesOnlyWholeLinesAndIsSaidOnce) {
    const QByteArray pageFiller(4096 - 27 - 10, 'p');  // its line ends 10 bytes short of a page
    const struct {
        const char* Case;
        QByteArray First;  // logged while there is room
        QByteArray Next;   // logged once the file system is full
    } cases[] = {
        {"a new line larger than the room left in its page", "first", QByteArray(10000, 'x')},
        {"a repetition whose counted line needs another page", pageFiller, pageFiller},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        TSmallFileSystem fileSystem(16 * 1024);
        REQUIRE_SMALL_FILE_SYSTEM(fileSystem);
        ResetLogState();
        QStringList notices;
        SetLogSwitchOffNotice([&](const QString& file, const QString& reason) { notices << file + ": " + reason; });
        LogFileName = fileSystem.Path(QStringLiteral("import.log"));
        WriteLog(QString::fromUtf8(c.First), 1);
        const QByteArray before = ReadFile(LogFileName);
        fileSystem.Fill();
        WriteLog(QString::fromUtf8(c.Next), 1);
        WriteLog(QStringLiteral("later"), 1);
        SetLogSwitchOffNotice(nullptr);

        EXPECT_EQ(ReadFile(LogFileName), before);
        EXPECT_EQ(Messages(Lines(LogFileName)), QStringList{QString::fromUtf8(c.First)});
        EXPECT_EQ(notices, QStringList{LogFileName + ": write: No space left on device"});
        LogFileName = FilePath;
    }
}

TEST_F(LogTest, WaitsBrieflyForAnotherWriterAndGivesUpOnOneThatHoldsOn) {
    WriteLog(QStringLiteral("first"), 1);
    const int holder = ::open(QFile::encodeName(FilePath).constData(), O_RDWR);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    std::thread release([holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ::flock(holder, LOCK_UN);
    });
    WriteLog(QStringLiteral("after a wait"), 1);
    release.join();
    EXPECT_EQ(Messages(), (QStringList{QStringLiteral("first"), QStringLiteral("after a wait")}));

    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    WriteLog(QStringLiteral("given up"), 1);
    ::close(holder);
    WriteLog(QStringLiteral("file part is off"), 1);
    EXPECT_EQ(Messages(), (QStringList{QStringLiteral("first"), QStringLiteral("after a wait")}));
}
#endif

TEST_F(LogTest, TwoThreadsWritingAtOnceKeepEveryLineWhole) {
    constexpr int PerThread = 400;
    auto writeDistinct = [](int thread) {
        for (int i = 0; i < PerThread; ++i) WriteLog(QStringLiteral("thread %1 message %2").arg(thread).arg(i), 1);
    };
    std::thread first(writeDistinct, 1), second(writeDistinct, 2);
    first.join();
    second.join();
    const QStringList messages = Messages();
    ASSERT_EQ(messages.size(), 2 * PerThread);
    QSet<QString> expected;
    for (int thread = 1; thread <= 2; ++thread)
        for (int i = 0; i < PerThread; ++i) expected.insert(QStringLiteral("thread %1 message %2").arg(thread).arg(i));
    EXPECT_EQ(QSet<QString>(messages.begin(), messages.end()), expected);

    // The same message from both: the repetition state stays consistent under the lock.
    QFile::remove(FilePath);
    ResetLogState();
    auto writeSame = [] {
        for (int i = 0; i < PerThread; ++i) WriteLog(QStringLiteral("same"), 1);
    };
    std::thread third(writeSame), fourth(writeSame);
    third.join();
    fourth.join();
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("same (сообщение повторилось 800 раз)")});
}
