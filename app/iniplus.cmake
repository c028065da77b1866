# The settings file (Qt Core only) and the table of the program's texts.
add_library(settings STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ProfileFile.h ${CMAKE_CURRENT_LIST_DIR}/ProfileFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/iniplus.h ${CMAKE_CURRENT_LIST_DIR}/iniplus.cpp)
target_include_directories(settings PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(settings PUBLIC cp1251 Qt6::Core)

add_library(app_texts STATIC
  ${CMAKE_CURRENT_LIST_DIR}/MyConsts.h ${CMAKE_CURRENT_LIST_DIR}/MyConsts.cpp)
target_include_directories(app_texts PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(app_texts PUBLIC journal_core Qt6::Core)
