# A test that cannot run, failing with the reason instead of vanishing from the list:
#   cmake -DREASON=<text> -P fail.cmake
message(FATAL_ERROR "${REASON}")
