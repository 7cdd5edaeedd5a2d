# SPDX-License-Identifier: GPL-3.0-or-later
# The warnings the project's own code is held to, shared by the program's build and the fuzzers'
# project. Third-party code comes in through imported targets as system headers, so only our
# files (and the GoogleTest macros expanding in them) are checked.
set(TACHYON_WARNING_FLAGS -Wall -Wextra -Wpedantic)

# Off by default, so a user's newer compiler with a new warning still builds `make run`; the
# builds `make test` makes turn it on, so a new warning fails them.
option(TACHYON_WERROR "Treat compiler warnings as errors" OFF)
if(TACHYON_WERROR)
  list(APPEND TACHYON_WARNING_FLAGS -Werror)
endif()
