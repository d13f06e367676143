# The Windows programs, cross-built with mingw-w64: korvel-*.exe and chekval.exe
# with their Win32 backend, the simulated harness and the unit tests as .exe.

set(KORVEL_IMAGES_DIR "${CMAKE_SOURCE_DIR}/build/images" CACHE PATH
    "Signed images from the native build (fwsign runs there)")
set(KORVEL_DEPS_DIR "${CMAKE_SOURCE_DIR}/build-deps" CACHE PATH
    "Where scripts/bootstrap-windows.sh put Debian's mbedtls source package")
set(GEN "${CMAKE_CURRENT_BINARY_DIR}/generated")
file(MAKE_DIRECTORY "${GEN}")

function(korvel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
# Static C and C++ run-times: the programs run on a bare Windows.
add_link_options(-static -static-libgcc -static-libstdc++)

# ---- mbed TLS from Debian's source package, built with this toolchain ----------
file(GLOB MBEDTLS_TARBALL "${KORVEL_DEPS_DIR}/mbedtls_*.orig.tar.*")
if(NOT MBEDTLS_TARBALL)
  message(FATAL_ERROR "No mbedtls source package in ${KORVEL_DEPS_DIR}: run scripts/bootstrap-windows.sh")
endif()
include(ExternalProject)
set(MBEDTLS_PREFIX "${CMAKE_BINARY_DIR}/mbedtls")
ExternalProject_Add(mbedtls_build
  URL ${MBEDTLS_TARBALL}
  DOWNLOAD_EXTRACT_TIMESTAMP TRUE
  PREFIX "${CMAKE_BINARY_DIR}/mbedtls-build"
  INSTALL_DIR "${MBEDTLS_PREFIX}"
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
             -DENABLE_TESTING=OFF -DENABLE_PROGRAMS=OFF -DMBEDTLS_FATAL_WARNINGS=OFF
             -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
  BUILD_BYPRODUCTS "${MBEDTLS_PREFIX}/lib/libmbedx509.a" "${MBEDTLS_PREFIX}/lib/libmbedcrypto.a")
file(MAKE_DIRECTORY "${MBEDTLS_PREFIX}/include")
add_library(mbedtls_static INTERFACE)
target_include_directories(mbedtls_static INTERFACE "${MBEDTLS_PREFIX}/include")
target_link_libraries(mbedtls_static INTERFACE "${MBEDTLS_PREFIX}/lib/libmbedx509.a"
                      "${MBEDTLS_PREFIX}/lib/libmbedcrypto.a" bcrypt)
add_dependencies(mbedtls_static mbedtls_build)

# ---- chekval.exe --------------------------------------------------------------
add_custom_command(
  OUTPUT "${GEN}/builtin_certificates.cpp"
  COMMAND ${CMAKE_COMMAND} -DSIGNER=${KORVEL_PKI_DIR}/signer.crt -DROOT=${KORVEL_PKI_DIR}/root.crt
          -DOUT=${GEN}/builtin_certificates.cpp -P ${CMAKE_SOURCE_DIR}/cmake/embed_certificates.cmake
  DEPENDS ${KORVEL_PKI_DIR}/signer.crt ${KORVEL_PKI_DIR}/root.crt cmake/embed_certificates.cmake)
add_library(verifier_core STATIC verifier/verify_image.cpp verifier/cert_chain.cpp
            "${GEN}/builtin_certificates.cpp")
target_link_libraries(verifier_core PUBLIC mbedtls_static)
korvel_warnings(verifier_core)
add_executable(chekval verifier/chekval_main.cpp verifier/chekval.rc)
target_link_libraries(chekval PRIVATE verifier_core)
set_target_properties(chekval PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
korvel_warnings(chekval)
set(CHEKVAL_EXE "${CMAKE_BINARY_DIR}/chekval.exe")

# ---- korvel over the Win32 seam, and over the simulated machine ------------------
add_library(korvel_core OBJECT
  drive/transport.cpp drive/commands.cpp drive/discovery.cpp drive/media_notification.cpp
  update/console.cpp update/entry.cpp update/select_image.cpp update/launcher.cpp
  update/download.cpp update/monitor.cpp config/revision_table.cpp)
add_library(win32_host STATIC platform/win32/win32_host.cpp platform/host_common.cpp)
add_library(platform_win32 STATIC platform/win32/platform_win32.cpp platform/host_seam.cpp)
target_link_libraries(platform_win32 PUBLIC win32_host)
add_library(test_firmware STATIC tools/common/test_firmware.cpp)
add_library(simdrive STATIC sim/drive/sim_drive.cpp)
target_link_libraries(simdrive PUBLIC test_firmware)
add_library(platform_sim STATIC platform/sim/platform_sim.cpp sim/machine/sim_machine.cpp
            sim/harness/sim_options.cpp)
target_link_libraries(platform_sim PUBLIC simdrive win32_host)
foreach(t korvel_core win32_host platform_win32 test_firmware simdrive platform_sim)
  korvel_warnings(${t})
endforeach()

function(korvel_resources cfg)
  set(lines "")
  foreach(pair ${ARGN})
    string(REPLACE "=" ";" kv ${pair})
    list(GET kv 0 id)
    list(GET kv 1 file)
    string(APPEND lines "${id} RCDATA \"${file}\"\n")
  endforeach()
  set(KORVEL_RC_MODEL ${cfg})
  set(KORVEL_RC_LINES "${lines}")
  configure_file(${CMAKE_SOURCE_DIR}/config/resources.rc.in ${GEN}/resources_${cfg}.rc @ONLY)
endfunction()
korvel_resources(kt72m 101=${KORVEL_IMAGES_DIR}/kt72m_101.bin 102=${KORVEL_IMAGES_DIR}/kt72m_102.bin
                 103=${CHEKVAL_EXE})
korvel_resources(rq35vw41 101=${KORVEL_IMAGES_DIR}/rq35vw41_101.bin 103=${CHEKVAL_EXE})

foreach(cfg kt72m rq35vw41)
  set(rc ${GEN}/resources_${cfg}.rc)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${CHEKVAL_EXE})
  add_library(config_${cfg} OBJECT config/config_${cfg}.cpp config/select_${cfg}.cpp)
  korvel_warnings(config_${cfg})

  add_executable(korvel-${cfg} platform/win32/korvel_wmain.cpp ${rc})
  target_link_libraries(korvel-${cfg} PRIVATE korvel_core config_${cfg} platform_win32)
  target_link_options(korvel-${cfg} PRIVATE -municode)
  add_dependencies(korvel-${cfg} chekval)
  korvel_warnings(korvel-${cfg})

  add_executable(korvel-sim-${cfg} sim/harness/korvel_sim_main.cpp ${rc})
  target_link_libraries(korvel-sim-${cfg} PRIVATE korvel_core config_${cfg} platform_sim)
  add_dependencies(korvel-sim-${cfg} chekval)
  korvel_warnings(korvel-sim-${cfg})
  set_target_properties(korvel-${cfg} korvel-sim-${cfg} PROPERTIES
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endforeach()

# ---- tests under Wine ---------------------------------------------------------------
if(KORVEL_TESTS)
  enable_testing()
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-run.sh;${CMAKE_BINARY_DIR}/wineprefix")
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  include(GoogleTest)
  add_executable(drive_tests
    tests/drive/transport_test.cpp tests/drive/commands_test.cpp tests/drive/discovery_test.cpp
    tests/drive/media_notification_test.cpp tests/drive/config_test.cpp tests/drive/test_config.cpp
    config/config_kt72m.cpp config/config_rq35vw41.cpp ${GEN}/resources_kt72m.rc)
  set_source_files_properties(${GEN}/resources_kt72m.rc PROPERTIES OBJECT_DEPENDS ${CHEKVAL_EXE})
  target_link_libraries(drive_tests PRIVATE korvel_core platform_sim GTest::gtest_main)
  add_dependencies(drive_tests chekval)

  # Wine's 32-bit loader is a 32-bit Linux program: a kernel booted without
  # 32-bit emulation cannot start it. The i686 programs are still built (their
  # 80-byte block layout is checked when they compile) but cannot run here.
  set(KORVEL_CAN_RUN TRUE)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    execute_process(COMMAND /usr/lib/wine/wine --version RESULT_VARIABLE wine32_result
                    OUTPUT_QUIET ERROR_QUIET)
    if(NOT wine32_result EQUAL 0)
      set(KORVEL_CAN_RUN FALSE)
    endif()
  endif()
  if(KORVEL_CAN_RUN AND CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # 32-bit Wine may be running under an emulator, where each process start
    # costs about a minute: the whole suite runs as one process.
    add_test(NAME drive_tests COMMAND drive_tests)
    set_tests_properties(drive_tests PROPERTIES TIMEOUT 3600)
  elseif(KORVEL_CAN_RUN)
    gtest_discover_tests(drive_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 300)
  else()
    add_test(NAME drive_tests_i686_under_wine
             COMMAND sh -c "echo 'this kernel runs no 32-bit programs (ia32_emulation off): the i686 .exe files cannot run under Wine here'; exit 77")
    set_tests_properties(drive_tests_i686_under_wine PROPERTIES SKIP_RETURN_CODE 77)
  endif()

  # Whole programs under Wine, driven from the native build.
  set(KORVEL_NATIVE_BUILD "${CMAKE_SOURCE_DIR}/build" CACHE PATH "The native build tree")
  add_test(NAME wine_programs COMMAND ${KORVEL_NATIVE_BUILD}/tests/wine_tests)
  set_tests_properties(wine_programs PROPERTIES TIMEOUT 5400 ENVIRONMENT
    "KORVEL_WIN_BUILD=${CMAKE_BINARY_DIR};KORVEL_WINE_RUN=${CMAKE_SOURCE_DIR}/scripts/wine-run.sh;KORVEL_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;KORVEL_IMAGES_DIR=${KORVEL_IMAGES_DIR}")
endif()
