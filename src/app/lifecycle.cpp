#include "app/lifecycle.h"

#include "app/app_state.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Runs release_resources once when run_application leaves, after the window is gone.
class ReleaseAtEnd {
public:
    explicit ReleaseAtEnd(AppState& state) : state_(state) {}
    ~ReleaseAtEnd() { release_resources(state_); }
    ReleaseAtEnd(const ReleaseAtEnd&) = delete;
    ReleaseAtEnd& operator=(const ReleaseAtEnd&) = delete;

private:
    AppState& state_;
};

}  // namespace

void return_big_blocks_to_the_system()
{
#if defined(__GLIBC__)
    // glibc raises its threshold for mapping blocks of their own after the first big free, and
    // from then on keeps freed picture-sized blocks in its heap; a fixed threshold stops that.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}

int run_application(int& argc, char** argv)
{
    return_big_blocks_to_the_system();
    QApplication application(argc, argv);
    // Qt's own texts (the file dialog, the question before overwriting) in Chinese like the rest.
    QTranslator qt_texts;
    if (qt_texts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qt_texts);
    AppState state;
    create_image_object(state);
    const ReleaseAtEnd release_at_end(state);
    MainWindow window(state);
    window.show();
    QApplication::exec();
    return 0;
}
