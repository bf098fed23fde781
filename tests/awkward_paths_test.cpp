// Paths that trip up careless code: Chinese characters, spaces, a 200-byte file name and a path
// of more than 260 characters. Each is loaded by a drop, written over by "保存" and written anew
// by "另存为" through the window.

#include "image/file_names.h"
#include "image/loading.h"
#include "picture_fixtures.h"
#include "window_fixture.h"

#include <QImageReader>
#include <QtTest>

namespace {

QSize decoded_size(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read().size();
}

QString deep_folder()
{
    QStringList parts;
    for (int level = 0; level < 6; ++level)
        parts.append(QStringLiteral("level %1 of a deeply nested folder for long paths").arg(level));
    return parts.join('/');
}

}  // namespace

class AwkwardPathsTest : public QObject {
    Q_OBJECT

private slots:
    void load_save_and_save_as_data();
    void load_save_and_save_as();

private:
    QTemporaryDir dir_;
};

void AwkwardPathsTest::load_save_and_save_as_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("stem");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("save_as_extension");
    QTest::addColumn<QByteArray>("writer");
    QTest::newRow("Chinese") << "图片" << "压缩测试" << "png" << "bmp" << QByteArray("PNG");
    QTest::newRow("spaces") << "with spaces" << " a picture  name " << "jpg" << "png" << QByteArray("JPG");
    QTest::newRow("200-byte name") << "long" << QString(196, 'n') << "bmp" << "gif" << QByteArray("BMP");
    QTest::newRow("60 Chinese characters") << "长" << QString(60, QChar(0x56fe)) << "ico" << "jpg" << QByteArray("ICO");
    QTest::newRow("path over 260 characters") << deep_folder() << "deep picture" << "png" << "ico" << QByteArray("PNG");
}

void AwkwardPathsTest::load_save_and_save_as()
{
    QFETCH(QString, folder);
    QFETCH(QString, stem);
    QFETCH(QString, extension);
    QFETCH(QString, save_as_extension);
    QFETCH(QByteArray, writer);
    const QDir dir(QDir(dir_.path()).filePath(folder));
    QVERIFY(dir.mkpath("."));
    const QString path = write_picture(dir, stem + '.' + extension, photo_like(40, 30), writer.constData());
    QVERIFY2(QFileInfo::exists(path), qPrintable("cannot write the source " + path));
    const std::string native = path.toStdString();

    Program p;
    image_dropped(p.state, p.w(), native);
    QCOMPARE(p.state.image_width, 40);
    p.w().组合框1.widget()->setFocus();
    QTest::keyClick(p.w().组合框1.widget(), Qt::Key_Down);  // ratio 2, so that the save changes the file
    QTest::mouseClick(p.w().按钮2.widget(), Qt::LeftButton);
    QCOMPARE(decoded_size(path), QSize(20, 15));
    QVERIFY2(p.w().状态.caption().ends_with(path_segment(native)), p.w().状态.caption().c_str());

    const QString chosen = dir.filePath(stem + '.' + save_as_extension);
    answer_next_dialog(chosen);
    QTest::mouseClick(p.w().按钮3.widget(), Qt::LeftButton);
    QCOMPARE(decoded_size(chosen), QSize(20, 15));
}

QTEST_MAIN(AwkwardPathsTest)
#include "awkward_paths_test.moc"
