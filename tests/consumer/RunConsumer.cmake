# Installs the build into a fresh prefix, then configures, builds and runs a
# tiny out-of-tree consumer against it (find_package and pkg-config).
file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${WORK}/prefix"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "install failed")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${WORK}/build"
                        "-DCMAKE_PREFIX_PATH=${WORK}/prefix" -DCMAKE_BUILD_TYPE=Release
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "consumer configure failed")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK}/build" RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "consumer build failed")
endif()
foreach(program consumer consumer_static)
  execute_process(COMMAND "${WORK}/build/${program}" "${WORK}/prefix/share/appconfig/examples/descriptions"
                  RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "${program} failed")
  endif()
endforeach()
# The user interface library, on Qt's offscreen platform.
if(EXISTS "${WORK}/build/consumer_ui")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen "${WORK}/build/consumer_ui"
                  RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "consumer_ui failed")
  endif()
endif()
# The example host module (a link, a page and a control of its own),
# built against the installed user interface component and driven offscreen.
if(EXISTS "${WORK}/build/consumer_ui")
  execute_process(COMMAND "${CMAKE_COMMAND}" -S "${EXAMPLE}" -B "${WORK}/example"
                          "-DCMAKE_PREFIX_PATH=${WORK}/prefix" -DCMAKE_BUILD_TYPE=Release
                  RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "example host module configure failed")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK}/example" RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "example host module build failed")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen "${WORK}/example/gauge_host"
                  RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "example host module failed")
  endif()
endif()
file(GLOB pcdir "${WORK}/prefix/lib*/pkgconfig" "${WORK}/prefix/lib/*/pkgconfig")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${pcdir}" pkg-config --libs appconfig
                RESULT_VARIABLE rc OUTPUT_VARIABLE libs)
if(rc OR NOT libs MATCHES "-lappconfig")
  message(FATAL_ERROR "pkg-config does not find appconfig: ${libs}")
endif()
