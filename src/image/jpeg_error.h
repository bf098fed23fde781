#pragma once
// The libjpeg error manager shared by the encoder and the header reader. A fatal error jumps back
// to the setjmp of the function that drives libjpeg instead of ending the process; warnings are
// dropped. That function must own nothing that needs a destructor: its caller owns every resource.

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

struct JpegErrorTrap {
    jpeg_error_mgr manager{};  // first, so libjpeg's err pointer is also a pointer to the trap
    std::jmp_buf jump{};
};

// Fills trap.manager with libjpeg's defaults plus the jump, and returns it for cinfo.err.
inline jpeg_error_mgr* install_error_trap(JpegErrorTrap& trap)
{
    jpeg_std_error(&trap.manager);
    trap.manager.error_exit = [](j_common_ptr cinfo) {
        std::longjmp(reinterpret_cast<JpegErrorTrap*>(cinfo->err)->jump, 1);
    };
    trap.manager.output_message = [](j_common_ptr) {};
    return &trap.manager;
}
