# cmake -DINPUT=FILE -DOUTPUT=FILE.gz -P gzip_file.cmake: FILE compressed as Debian wants
# its man pages and changelogs: gzip -9, without the name and time stamp that would make
# the package differ from build to build.
execute_process(COMMAND gzip -9 -n -c "${INPUT}" OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "gzip ${INPUT}: ${status}")
endif()
