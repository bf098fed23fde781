// Saves that cannot succeed: a read-only folder, a target that is a directory, a full disk and a
// file-size limit, at the library level and through "保存"; and a process killed while it
// writes. In every case the file that was there stays byte for byte as it was, and no temporary
// file is left beside it, except after a kill, which gives the writer no chance to clean up.

#include "image/file_names.h"
#include "image/image_library.h"
#include "image/loading.h"
#include "picture_fixtures.h"
#include "unwritable_folder.h"
#include "window_fixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <cstring>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

constexpr const char* save_loop_flag = "--save-in-a-loop";

enum class Fault { ReadOnlyFolder, TargetIsDirectory, DiskFull, FileSizeLimit };

// A folder in which a save fails for one reason. The original file is put in place first, then
// arm() makes the fault active; everything is undone when the object goes.
class FaultyFolder {
public:
    explicit FaultyFolder(Fault fault) : fault_(fault)
    {
        // A 64 KB file system of its own, so that filling it up troubles nobody else.
        if (fault_ == Fault::DiskFull) {
            mounted_ = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", dir_.path()}) == 0;
            if (!mounted_)
                skip_reason_ = "cannot mount a small tmpfs here (needs root and mount rights)";
        }
#ifndef Q_OS_LINUX
        if (fault_ == Fault::FileSizeLimit)
            skip_reason_ = "the file-size limit is set with setrlimit, on Linux only";
#endif
    }

    ~FaultyFolder()
    {
        disarm();
        if (mounted_)
            QProcess::execute("umount", {dir_.path()});
    }

    QString skip_reason() const { return skip_reason_; }
    QDir dir() const { return QDir(dir_.path()); }

    bool arm()
    {
        switch (fault_) {
        case Fault::ReadOnlyFolder:
            if (!make_unwritable(dir_.path(), true))
                skip_reason_ = "cannot make a folder unwritable here";
            return skip_reason_.isEmpty();
        case Fault::TargetIsDirectory:
            return true;
        case Fault::DiskFull:
            return fill_up();
        case Fault::FileSizeLimit:
            return limit_file_size();
        }
        return false;
    }

    void disarm()
    {
        if (fault_ == Fault::ReadOnlyFolder)
            make_unwritable(dir_.path(), false);
#ifdef Q_OS_LINUX
        if (limited_) {
            setrlimit(RLIMIT_FSIZE, &old_limit_);
            std::signal(SIGXFSZ, SIG_DFL);
            limited_ = false;
        }
#endif
    }

private:
    // Writes a filler file until the file system refuses more.
    bool fill_up()
    {
        QFile filler(dir().filePath("filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size()) {
        }
        return true;
    }

    // Writes past 4 KB fail with EFBIG instead of raising SIGXFSZ.
    bool limit_file_size()
    {
#ifdef Q_OS_LINUX
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_limit_);
        rlimit limit = old_limit_;
        limit.rlim_cur = 4096;
        limited_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
        return limited_;
#else
        return false;
#endif
    }

    Fault fault_;
    QTemporaryDir dir_;
    bool mounted_{false};
    QString skip_reason_;
#ifdef Q_OS_LINUX
    rlimit old_limit_{};
    bool limited_{false};
#endif
};

QString temp_file_pattern(const QString& target) { return QFileInfo(target).fileName() + ".*"; }

QStringList entries(const QDir& dir)
{
    QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

// The child's side of the kill test: saves the picture over target until it is killed.
int save_in_a_loop(const char* source, const char* target)
{
    ImageObject image;
    ImageLibrary::load_file(image, source, ImageFormat::Unknown);
    if (image.handle() == 0)
        return 1;
    for (;;) {
        if (!ImageLibrary::save_file(image, target, ImageFormat::Bmp))
            return 2;
    }
}

}  // namespace

Q_DECLARE_METATYPE(Fault)

class SaveFailureTest : public QObject {
    Q_OBJECT

private slots:
    void failed_save_keeps_the_file_and_leaves_no_temporary_data();
    void failed_save_keeps_the_file_and_leaves_no_temporary();
    void failed_save_button_on_a_full_disk_shows_no_path();
    void killed_save_leaves_the_file_whole();

private:
    QTemporaryDir sources_;
};

void SaveFailureTest::failed_save_keeps_the_file_and_leaves_no_temporary_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("name");
    QTest::newRow("read-only folder, png") << Fault::ReadOnlyFolder << "target.png";
    QTest::newRow("target is a directory, jpg") << Fault::TargetIsDirectory << "target.jpg";
    for (const char* name : {"target.bmp", "target.gif", "target.jpg", "target.png", "target.ico"})
        QTest::newRow(qPrintable(QStringLiteral("disk full, %1").arg(name))) << Fault::DiskFull << name;
    QTest::newRow("file-size limit, bmp") << Fault::FileSizeLimit << "target.bmp";
    QTest::newRow("file-size limit, jpg") << Fault::FileSizeLimit << "target.jpg";
}

void SaveFailureTest::failed_save_keeps_the_file_and_leaves_no_temporary()
{
    QFETCH(Fault, fault);
    QFETCH(QString, name);
    FaultyFolder folder(fault);
    if (!folder.skip_reason().isEmpty())
        QSKIP(qPrintable(folder.skip_reason()));
    const QDir dir = folder.dir();
    const QString target = dir.filePath(name);
    QByteArray before;
    if (fault == Fault::TargetIsDirectory) {
        QVERIFY(dir.mkpath(name));
        write_bytes(QDir(target), "inside.txt", "kept");
    } else {
        before = read_bytes(write_picture(dir, name, photo_like(20, 12), "PNG"));
    }
    ImageObject image;
    ImageLibrary::load_file(image, write_picture(QDir(sources_.path()), "big.png", photo_like(200, 150), "PNG")
                                       .toStdString(), ImageFormat::Unknown);
    QVERIFY(image.handle() != 0);

    QVERIFY2(folder.arm(), qPrintable("cannot set the fault up: " + folder.skip_reason()));
    const QStringList entries_before = entries(dir);
    const bool saved = ImageLibrary::save_file(image, target.toStdString(), format_for_extension(
                                                                                 QFileInfo(name).suffix().toStdString()));
    folder.disarm();

    QVERIFY2(!saved, "the save reported success");
    QCOMPARE(entries(dir), entries_before);
    if (fault == Fault::TargetIsDirectory)
        QCOMPARE(read_bytes(QDir(target).filePath("inside.txt")), QByteArray("kept"));
    else
        QCOMPARE(read_bytes(target), before);
}

void SaveFailureTest::failed_save_button_on_a_full_disk_shows_no_path()
{
    FaultyFolder folder(Fault::DiskFull);
    if (!folder.skip_reason().isEmpty())
        QSKIP(qPrintable(folder.skip_reason()));
    const QString target = write_picture(folder.dir(), "photo.png", photo_like(60, 40), "PNG");
    const QByteArray before = read_bytes(target);
    Program p;
    image_dropped(p.state, p.w(), target.toStdString());
    p.w().组合框1.widget()->setFocus();
    QTest::keyClick(p.w().组合框1.widget(), Qt::Key_Down);  // ratio 2, so that a write would change the file
    QVERIFY(folder.arm());
    QTest::mouseClick(p.w().按钮2.widget(), Qt::LeftButton);

    QCOMPARE(read_bytes(target), before);
    QCOMPARE(entries(folder.dir()), (QStringList{"filler", "photo.png"}));
    QCOMPARE(p.w().状态.caption(), resolution_segment(60, 40) + size_segment(p.w().标签5.caption()) + "    |  ");
}

// A child process saves the same picture over the file again and again and is killed while a
// temporary file exists, three times. The file must stay whole: every save writes the very bytes
// it already holds, so anything else means a torn write. The temporary file of the killed save
// is left behind; nothing can remove it.
void SaveFailureTest::killed_save_leaves_the_file_whole()
{
    QTemporaryDir dir;
    const QString source = write_picture(QDir(sources_.path()), "large.png", photo_like(1600, 1200), "PNG");
    const QString target = QDir(dir.path()).filePath("target.bmp");
    ImageObject image;
    ImageLibrary::load_file(image, source.toStdString(), ImageFormat::Unknown);
    QVERIFY(ImageLibrary::save_file(image, target.toStdString(), ImageFormat::Bmp));
    const QByteArray whole = read_bytes(target);

    for (int kill = 0; kill < 3; ++kill) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {save_loop_flag, source, target});
        QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
        QElapsedTimer waited;
        waited.start();
        // Let a few saves complete, so the kill can land anywhere in one.
        QThread::msleep(static_cast<unsigned long>(100 * kill));
        while (QDir(dir.path()).entryList({temp_file_pattern(target)}, QDir::Files).isEmpty()) {
            QVERIFY2(child.state() == QProcess::Running, "the saving child ended by itself");
            QVERIFY2(waited.elapsed() < 30000, "no temporary file showed within 30 s: does the save still write one?");
        }
        child.kill();
        child.waitForFinished();
        QCOMPARE(read_bytes(target).size(), whole.size());
        QVERIFY2(read_bytes(target) == whole, "the file changed after a killed save");
        for (const QString& left : QDir(dir.path()).entryList({temp_file_pattern(target)}, QDir::Files))
            QFile::remove(QDir(dir.path()).filePath(left));
    }
}

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], save_loop_flag) == 0)
        return save_in_a_loop(argv[2], argv[3]);
    QApplication application(argc, argv);
    SaveFailureTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "save_failure_test.moc"
