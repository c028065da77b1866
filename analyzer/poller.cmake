# The measurement poller: the component on the main thread, its polling
# thread, and the synchronous hand-off between them. Needs the serial port.
if(TARGET serial)
  add_library(analyzer STATIC
    ${CMAKE_CURRENT_LIST_DIR}/FixMeas.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FixMeas.h
    ${CMAKE_CURRENT_LIST_DIR}/FixMeasComPort.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainThreadCall.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainThreadCall.h)
  set_target_properties(analyzer PROPERTIES AUTOMOC ON)
  target_include_directories(analyzer PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(analyzer PUBLIC analyzer_codec serial Qt6::Core)
endif()
