#include "uninstall/win32/program_state.h"

namespace kub::setup {

ProgramState& program_state() {
    static ProgramState state;
    return state;
}

}  // namespace kub::setup
