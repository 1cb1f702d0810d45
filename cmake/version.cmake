# The one place that sets the plug-ins' version. The product version is what
# the About page shows; the build number goes into the file version, the
# driver package's DriverVer and the package's name.
set(PSPLUGIN_VERSION_MAJOR 3)
set(PSPLUGIN_VERSION_MINOR 0)

# A build service passes its own number (-DPSPLUGIN_BUILD_NUMBER=... or the
# BUILD_NUMBER environment variable). Otherwise the number is the count of
# commits up to the checked-out one, so that one commit always builds the same
# version; without git it is 0.
set(PSPLUGIN_BUILD_NUMBER "" CACHE STRING "Build number in the file version (0 to 65535); empty: derived")
set(build_number "${PSPLUGIN_BUILD_NUMBER}")
if(build_number STREQUAL "" AND DEFINED ENV{BUILD_NUMBER})
  set(build_number "$ENV{BUILD_NUMBER}")
endif()
find_package(Git QUIET)
if(build_number STREQUAL "")
  set(build_number 0)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-list --count HEAD WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE counted OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc ERROR_QUIET)
    if(rc EQUAL 0 AND counted MATCHES "^[0-9]+$")
      set(build_number ${counted})
    endif()
  endif()
endif()
# A version field is 16 bits wide.
if(NOT build_number MATCHES "^[0-9]+$" OR build_number GREATER 65535)
  message(FATAL_ERROR "build number \"${build_number}\" is not a whole number from 0 to 65535")
endif()
math(EXPR PSPLUGIN_VERSION_BUILD "${build_number}")

# The package's date: that of the checked-out commit in UTC, else today's (which
# honours SOURCE_DATE_EPOCH), in the month/day/year form DriverVer wants.
set(PSPLUGIN_DRIVER_DATE "")
if(GIT_FOUND)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${GIT_EXECUTABLE} log -1 --format=%cd
                          --date=format-local:%m/%d/%Y
                  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE dated OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE rc ERROR_QUIET)
  if(rc EQUAL 0 AND dated MATCHES "^[0-9][0-9]/[0-9][0-9]/[0-9][0-9][0-9][0-9]$")
    set(PSPLUGIN_DRIVER_DATE ${dated})
  endif()
endif()
if(PSPLUGIN_DRIVER_DATE STREQUAL "")
  string(TIMESTAMP PSPLUGIN_DRIVER_DATE "%m/%d/%Y" UTC)
endif()

set(PSPLUGIN_PRODUCT_VERSION "${PSPLUGIN_VERSION_MAJOR}.${PSPLUGIN_VERSION_MINOR}")
set(PSPLUGIN_FILE_VERSION "${PSPLUGIN_PRODUCT_VERSION}.${PSPLUGIN_VERSION_BUILD}.0")

# Two headers, so that a new build number recompiles only the version
# resources, not the code that shows the product version. Only the targets
# that read them get their folder, so that other objects keep their flags.
set(PSPLUGIN_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/cmake/product_version.h.in ${PSPLUGIN_GENERATED_DIR}/product_version.h @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/cmake/file_version.h.in ${PSPLUGIN_GENERATED_DIR}/file_version.h @ONLY)
message(STATUS "Plug-in version ${PSPLUGIN_FILE_VERSION}, dated ${PSPLUGIN_DRIVER_DATE}")
