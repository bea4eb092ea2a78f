# Run at every build of the module (cmake -P): writes the version resource's
# source, OUTPUT, from TEMPLATE with the release (PROJECT_VERSION and its
# parts) and the commit the checkout in SOURCE_DIR is at, so that a player's
# bug report names the exact build. The file is rewritten only when that
# changes: a new commit recompiles the resource and relinks the module, and
# nothing else; the configure step never depends on the commit.
#
# The first 12 digits of the commit's hash, a fixed length: git's own short
# form grows with the number of objects in a clone, which would make two
# clones of one commit build different bytes. Without git, or outside a
# clone, the commit is "unknown".
set(SPEEDOMETER_COMMIT unknown)
find_program(git_program git)
if(git_program)
  execute_process(COMMAND ${git_program} -C ${SOURCE_DIR} rev-parse --verify --quiet HEAD
    OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE status)
  if(status EQUAL 0 AND commit MATCHES "^[0-9a-f]+$")
    string(SUBSTRING ${commit} 0 12 SPEEDOMETER_COMMIT)
  endif()
endif()
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
