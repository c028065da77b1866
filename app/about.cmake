# The toolbar images and the About window.
add_library(app_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Icons.h ${CMAKE_CURRENT_LIST_DIR}/Icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AboutForm.h ${CMAKE_CURRENT_LIST_DIR}/AboutForm.cpp)
target_include_directories(app_ui PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(app_ui PUBLIC app_texts Qt6::Core Qt6::Gui Qt6::Widgets)
