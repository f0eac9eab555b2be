# The Windows program, its test programs and its benchmarks (mingw-w64 cross builds).
enable_language(RC)

set(win_sources "")
foreach(subsystem ${VEMKO_SUBSYSTEMS})
  file(GLOB found CONFIGURE_DEPENDS ${subsystem}/win/*.cpp)
  list(APPEND win_sources ${found})
endforeach()
list(FILTER win_sources EXCLUDE REGEX "/app/win/winmain\\.cpp$")

set(VEMKO_SYSTEM_LIBRARIES comctl32 comdlg32 shell32 ole32 oleaut32 uuid gdi32 user32 advapi32 winspool imm32 kernel32)

add_library(vemkowin STATIC ${win_sources})
target_link_libraries(vemkowin PUBLIC vemkocore ${VEMKO_SYSTEM_LIBRARIES})
target_compile_definitions(vemkowin PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600 WINVER=0x0600 _WIN32_IE=0x0600)
target_compile_options(vemkowin PRIVATE ${VEMKO_WARNINGS})

# Every resource script goes into the program and into each Windows test program, so tests load
# the same menus, dialogs and pictures as the product.
file(GLOB rc_sources CONFIGURE_DEPENDS resources/*.rc)
add_library(vemkores OBJECT ${rc_sources})
target_include_directories(vemkores PRIVATE ${CMAKE_SOURCE_DIR})
set_property(TARGET vemkores PROPERTY RC_FLAGS "")
# The resource compiler reports no dependencies on the pictures a script names: a changed picture
# must still rebuild the script that holds it.
file(GLOB picture_files CONFIGURE_DEPENDS resources/pictures/*)
set_source_files_properties(resources/pictures.rc PROPERTIES OBJECT_DEPENDS "${picture_files}")
set_source_files_properties(resources/manifest.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/resources/vemko.manifest)
# The converter carries a manifest of its own (cli/vemkoconv.manifest).
if(TARGET vemkoconv)
  target_sources(vemkoconv PRIVATE cli/vemkoconv.rc)
  set_source_files_properties(cli/vemkoconv.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/cli/vemkoconv.manifest
                              INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR})
endif()

add_executable(vemko WIN32 app/win/winmain.cpp $<TARGET_OBJECTS:vemkores>)
target_link_libraries(vemko PRIVATE vemkowin)
target_compile_options(vemko PRIVATE ${VEMKO_WARNINGS})
# A static C++ runtime: the product depends on nothing but the system's own DLLs.
target_link_options(vemko PRIVATE -static -static-libgcc -static-libstdc++)

add_test(NAME imports COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:vemko>)
add_test(NAME manifest COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check-manifest.py $<TARGET_FILE:vemko>
                               $<$<TARGET_EXISTS:vemkoconv>:$<TARGET_FILE:vemkoconv>>)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(shipped $<TARGET_FILE:vemko>)
  if(TARGET vemkoconv)
    list(APPEND shipped $<TARGET_FILE:vemkoconv>)
  endif()
  add_test(NAME large_address_aware
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-large-address-aware.sh ${CMAKE_OBJDUMP} ${shipped})
endif()

# The helpers that start the application in-process, compiled once for every test program and
# benchmark (each of them links the same objects).
file(GLOB win_support_sources CONFIGURE_DEPENDS tests/support/win/*.cpp)
list(FILTER win_support_sources EXCLUDE REGEX "/test_main\\.cpp$")
add_library(vemkowinsupport OBJECT ${win_support_sources})
target_link_libraries(vemkowinsupport PUBLIC vemkowin)
target_include_directories(vemkowinsupport PUBLIC ${CMAKE_SOURCE_DIR}/tests)

if(VEMKO_WINE_TESTS AND VEMKO_HAVE_GTEST)
  add_library(vemkotestmain OBJECT tests/support/win/test_main.cpp)
  target_link_libraries(vemkotestmain PRIVATE GTest::gtest)
  foreach(source ${win_test_sources})
    get_filename_component(name ${source} NAME_WE)
    file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR}/tests ${source})
    string(REGEX MATCH "^[^/]+" subsystem ${relative})
    set(target wintest_${subsystem}_${name})
    add_executable(${target} ${source} $<TARGET_OBJECTS:vemkotestmain> $<TARGET_OBJECTS:vemkowinsupport>
                             $<TARGET_OBJECTS:vemkores>)
    target_link_libraries(${target} PRIVATE vemkowin GTest::gtest)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_definitions(${target} PRIVATE VEMKO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    target_link_options(${target} PRIVATE -static)
    add_test(NAME win.${subsystem}.${name} COMMAND ${target})
    set_tests_properties(win.${subsystem}.${name} PROPERTIES TIMEOUT 600)
    vemko_wine_test(win.${subsystem}.${name})
  endforeach()
  # The converter's test runs the vemkoconv.exe beside it.
  if(TARGET wintest_cli_archive_test AND TARGET vemkoconv)
    add_dependencies(wintest_cli_archive_test vemkoconv)
  endif()

  # A set of the tests runs again as an English system (ANSI 1252, OEM 437) in a prefix of its own:
  # the texts shown, typing, file names, settings texts and the clipboard must come out the same
  # there. Test program (subsystem_name) and the GoogleTest filter of its cases.
  set(VEMKO_OTHER_SYSTEM_TESTS
      "app_window_chrome_test=*"
      "app_main_window_test=*"
      "appearance_menu_tables_test=*"
      "base_registry_settings_test=*"
      # (OEM text of a Russian DOS program is 866 on a Russian system only.)
      "document_clipboard_test=*-*PasteInKoi8ViewConvertsOemText*"
      # (The layouts loaded differ: an English system has no Russian one to switch to.)
      "document_editing_test=*-*KeyboardLayoutChange*"
      "document_view_code_page_test=*-*TheKeyboardLayoutSurvives*"
      "document_document_files_test=*"
      "document_out_of_memory_test=*"
      "document_file_names_test=*"
      "document_command_line_file_test=*"
      "tools_find_replace_test=*"
      # The text's bytes whatever the system: the control, the transforms, word wrap, the byte patcher.
      "control_editor_control_test=*"
      "document_rewrite_commands_test=*"
      "tools_word_wrap_test=*"
      "tools_byte_patcher_test=*"
      # Dialog texts, menu pictures and measures, and the preview's captions.
      "appearance_options_dialog_test=*"
      "appearance_owner_drawn_menus_test=*"
      "document_conversion_chooser_test=*"
      "tools_character_table_test=*"
      "tools_print_preview_test=*")
  # Each entry (program=filter) runs again with `environment` set; the test's name ends in suffix.
  function(add_variant_tests suffix environment)
    foreach(entry ${ARGN})
      string(REPLACE "=" ";" parts "${entry}")
      list(GET parts 0 program)
      list(GET parts 1 filter)
      if(NOT TARGET wintest_${program})
        continue()
      endif()
      string(REGEX REPLACE "^([^_]+)_(.*)$" "win.\\1.\\2.${suffix}" test_name "${program}")
      add_test(NAME ${test_name} COMMAND wintest_${program} --gtest_filter=${filter})
      set_tests_properties(${test_name} PROPERTIES TIMEOUT 600 ENVIRONMENT "${environment}")
      vemko_wine_test(${test_name})
    endforeach()
  endfunction()
  # Each entry runs again as the system of the locale.
  function(add_other_system_tests suffix locale)
    add_variant_tests(${suffix} "VEMKO_WINE_LOCALE=${locale}" ${ARGN})
  endfunction()
  add_other_system_tests(en_US en_US.UTF-8 ${VEMKO_OTHER_SYSTEM_TESTS})
  # What is sized in pixels again on a 150 % screen (144 dpi), in a prefix of its own: the bars, the
  # character table's cells, the font dialog's sample, and every dialog shown whole.
  add_variant_tests(dpi144 "VEMKO_WINE_DPI=144"
                    "app_window_chrome_test=*BarsFollowTheScreenScale*:*EditorFillsTheRoomBetweenTheBars*:*ControlsWhole*:*ScaleChange*"
                    "tools_character_table_test=*KeepTheTextsPointSize*"
                    "tools_font_dialog_test=*ScreensScale*"
                    "appearance_options_dialog_test=*FitsTheDialog*")
  # File names again as a Russian system that keeps them in 1251 on disk.
  add_other_system_tests(cp1251 ru_RU.CP1251 "document_file_names_test=*-*Utf8OnDisk*" "document_command_line_file_test=*")
endif()

file(GLOB win_benchmarks CONFIGURE_DEPENDS bench/win/*.cpp)
# Benchmarks start the application like the tests do, but have their own main and no GoogleTest.
foreach(source ${win_benchmarks})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source} $<TARGET_OBJECTS:vemkowinsupport> $<TARGET_OBJECTS:vemkores>)
  target_link_libraries(${name} PRIVATE vemkowin)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_options(${name} PRIVATE -static)
endforeach()

# A save that runs out of disk part-way, on a small file system mounted for the run.
if(TARGET wintest_document_document_files_test)
  add_test(NAME win.document.full_disk
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/with-small-disk.sh $<TARGET_FILE:wintest_document_document_files_test>
                   --gtest_filter=*RunsOutOfDisk*)
  set_tests_properties(win.document.full_disk PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)
  vemko_wine_test(win.document.full_disk)
endif()

# The release package (CPack, ZIP): cmake --build --preset win32 --target package gives
# vemko-<version>-win32.zip in the build folder, with the program, the converter and a read-me.
set(readme ${CMAKE_BINARY_DIR}/readme.txt)
add_custom_command(OUTPUT ${readme}
                   COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_SOURCE_DIR}/docs/readme-ru.txt -DOUT=${readme}
                           -DVERSION=${PROJECT_VERSION} -P ${CMAKE_SOURCE_DIR}/cmake/readme.cmake
                   DEPENDS docs/readme-ru.txt cmake/readme.cmake ${CMAKE_BINARY_DIR}/generated/base/version.h VERBATIM)
# The help that F1 opens in a second editor window, beside the program in the build folder (where the
# test programs start it too) and in the package; 1251 with CR LF like the read-me.
set(help_text ${CMAKE_BINARY_DIR}/vemko-help.txt)
add_custom_command(OUTPUT ${help_text}
                   COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_SOURCE_DIR}/docs/help-ru.txt -DOUT=${help_text}
                           -DVERSION=${PROJECT_VERSION} -P ${CMAKE_SOURCE_DIR}/cmake/readme.cmake
                   DEPENDS docs/help-ru.txt cmake/readme.cmake ${CMAKE_BINARY_DIR}/generated/base/version.h VERBATIM)
add_custom_target(readme ALL DEPENDS ${readme} ${help_text})
install(TARGETS vemko RUNTIME DESTINATION . COMPONENT product)
if(TARGET vemkoconv)
  install(TARGETS vemkoconv RUNTIME DESTINATION . COMPONENT product)
endif()
install(FILES ${readme} ${help_text} DESTINATION . COMPONENT product)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_SYSTEM_NAME win32)
else()
  set(CPACK_SYSTEM_NAME win64)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vemko)
set(CPACK_PACKAGE_VENDOR Orvu)
set(CPACK_PACKAGE_FILE_NAME vemko-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};product;/")
set(CPACK_STRIP_FILES ON)
include(CPack)
