# kvt_gzip(FILE): FILE.gz beside FILE, compressed as Debian keeps man pages
# and changelogs (gzip -9, no name or time stamp, so the bytes repeat).
find_program(GZIP_EXECUTABLE gzip REQUIRED)

function(kvt_gzip file)
    add_custom_command(OUTPUT ${file}.gz
        COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${file} > ${file}.gz
        DEPENDS ${file}
        VERBATIM)
endfunction()
