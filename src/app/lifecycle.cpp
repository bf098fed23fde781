#include "app/lifecycle.h"

#include "app/app_state.h"
#include "ui/main_window.h"

#include <QApplication>

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

int run_application(int& argc, char** argv)
{
    QApplication application(argc, argv);
    AppState state;
    create_image_object(state);
    const ReleaseAtEnd release_at_end(state);
    MainWindow window(state);
    window.show();
    QApplication::exec();
    return 0;
}
