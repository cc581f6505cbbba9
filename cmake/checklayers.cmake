# cmake -DSOURCE_DIR=<src> -P checklayers.cmake
#
# The folders of src/ form layers that only point down. Each folder may
# include its own headers and those of the folders listed for it here;
# anything else (an include pointing up or sideways) fails the check with
# the file, the line and the folder it reached for.

set(allowed_image      image)
set(allowed_programmer programmer image)
set(allowed_sim        sim programmer image)
set(allowed_cli        cli programmer image)
set(allowed_ui         ui image)
set(allowed_zones      zones ui image)
set(allowed_programmerwindow programmerwindow ui programmer image)
set(allowed_editor     editor zones programmerwindow ui image)
set(allowed_app        app editor ui image)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "checklayers: SOURCE_DIR is not set")
endif()

file(GLOB folders RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
set(failures "")
foreach(folder IN LISTS folders)
    if(NOT IS_DIRECTORY ${SOURCE_DIR}/${folder})
        continue()
    endif()
    if(NOT DEFINED allowed_${folder})
        string(APPEND failures "  src/${folder}: a folder without a layer (add it to cmake/checklayers.cmake)\n")
        continue()
    endif()
    file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
        ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
    foreach(source IN LISTS sources)
        file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
            if(NOT header MATCHES "/")
                # A header of the same folder, or one the build generates.
                continue()
            endif()
            string(REGEX REPLACE "/.*" "" target "${header}")
            list(FIND allowed_${folder} ${target} found)
            if(found EQUAL -1)
                string(APPEND failures "  src/${source}: #include \"${header}\" (${folder} may use: ${allowed_${folder}})\n")
            endif()
        endforeach()
    endforeach()
endforeach()

if(failures)
    message(FATAL_ERROR "Includes that point up or sideways:\n${failures}")
endif()
message(STATUS "Every include of src/ points down its layers.")
