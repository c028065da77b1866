# The main window (a library, so tests can drive it) and the program.
# The app/ libraries it links are declared by fragments of this folder in any
# order; the other folders' targets exist before app/ is added.
if(TARGET analyzer AND TARGET serial_menu AND TARGET journal_view)
  add_library(mainwindow STATIC
    ${CMAKE_CURRENT_LIST_DIR}/FormDialogs.h ${CMAKE_CURRENT_LIST_DIR}/FormDialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NivaraApplication.h ${CMAKE_CURRENT_LIST_DIR}/NivaraApplication.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Unit1.h ${CMAKE_CURRENT_LIST_DIR}/Unit1.cpp)
  target_include_directories(mainwindow PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(mainwindow PUBLIC analyzer serial_menu journal_view numedit settings app_ui app_texts
    Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport)

  add_executable(Nivara ${CMAKE_CURRENT_LIST_DIR}/Nivara.cpp)
  target_link_libraries(Nivara PRIVATE mainwindow)
endif()
