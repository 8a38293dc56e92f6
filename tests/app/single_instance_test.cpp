#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "app/app_test_support.h"
#include "app/main_screen.h"
#include "app/program_start.h"

namespace quill {
namespace {

const QString kQuillbook = QStringLiteral(QUILLBOOK_BIN_DIR "/quillbook");

TEST(InstanceLock, TheFirstHolderKeepsOthersOutUntilItEnds) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    auto first = std::make_unique<InstanceLock>();
    EXPECT_FALSE(first->IsAnotherInstanceRunning(folder));
    EXPECT_TRUE(first->Held());
    InstanceLock second;
    EXPECT_TRUE(second.IsAnotherInstanceRunning(folder));
    EXPECT_FALSE(second.Held());
    first.reset();
    InstanceLock third;
    EXPECT_FALSE(third.IsAnotherInstanceRunning(folder));
}

TEST(InstanceLock, NoFolderMeansNoOtherCopyIsAssumed) {
    InstanceLock lock;
    EXPECT_FALSE(lock.IsAnotherInstanceRunning("/nonexistent/quillbook-test-folder"));
    EXPECT_FALSE(lock.Held());
}

// True once some process holds a flock on the file (read from /proc/locks,
// so the test never takes the lock itself).
bool SomeoneLocks(const QString& path) {
    struct stat st {};
    if (::stat(path.toLocal8Bit().constData(), &st) != 0) return false;
    QFile locks("/proc/locks");
    if (!locks.open(QIODevice::ReadOnly)) return false;
    const QString inode = QString(":%1 ").arg(static_cast<qulonglong>(st.st_ino));
    for (const QString& line : QString::fromLatin1(locks.readAll()).split('\n'))
        if (line.contains("FLOCK") && (line + " ").contains(inode)) return true;
    return false;
}

class SecondStart : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::exists(kQuillbook));
        env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", data.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        first.setProcessEnvironment(env);
        first.start(kQuillbook, {});
        ASSERT_TRUE(first.waitForStarted(10000));
        const QString lockFile = folder + kInstanceLockFileName;
        QElapsedTimer clock;
        clock.start();
        while (!SomeoneLocks(lockFile) && clock.elapsed() < 20000) QThread::msleep(50);
        ASSERT_TRUE(SomeoneLocks(lockFile)) << "the first copy never took its lock";
    }
    void TearDown() override {
        if (first.state() != QProcess::NotRunning) {
            first.kill();
            first.waitForFinished(5000);
        }
    }
    QTemporaryDir data;
    QString folder = data.path() + "/quillbook/";
    QProcessEnvironment env;
    QProcess first;
};

TEST_F(SecondStart, IsRefusedWithTheMessageAndNoWindowAndLeavesTheFirstRunning) {
    test::ScriptedBoxes boxes;
    StartOptions options;
    options.diaryFolder = folder.toStdString();
    bool storeMade = false;
    options.makeStore = [&storeMade] {
        storeMade = true;
        return MakeDiaryStore();
    };
    options.runMessageLoop = false;
    EXPECT_EQ(RunQuillbook(*qApp, options), 1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Quillbook! is already running");
    EXPECT_EQ(boxes.shown[0].caption, "Information");
    EXPECT_FALSE(storeMade);
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TMainScreen*>(top), nullptr);
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST_F(SecondStart, TheProgramItselfSaysSoOnStart) {
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(kQuillbook, {});
    ASSERT_TRUE(second.waitForStarted(10000));
    QByteArray said;
    QElapsedTimer clock;
    clock.start();
    while (!said.contains("Quillbook! is already running") && clock.elapsed() < 20000) {
        second.waitForReadyRead(200);
        said += second.readAllStandardError();
    }
    EXPECT_TRUE(said.contains("Quillbook! is already running")) << said.toStdString();
    // Its information box waits for a click; end it here.
    second.kill();
    second.waitForFinished(5000);
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST(FirstStart, OpensTheMainWindowAndCreatesThePrivateDiaryFolder) {
    QTemporaryDir data;
    test::ScriptedBoxes boxes;
    const std::string folder = data.path().toStdString() + "/deeper/quillbook/";
    auto log = std::make_shared<test::StoreLog>();
    StartOptions options;
    options.diaryFolder = folder;
    options.makeStore = [log] { return std::make_unique<test::RecordingStore>(log); };
    options.runMessageLoop = false;
    EXPECT_EQ(RunQuillbook(*qApp, options), 0);
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(QCoreApplication::applicationName(), "Quillbook!");
    ASSERT_FALSE(log->calls.empty());
    EXPECT_EQ(log->calls.front(), "open " + folder);
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace quill
