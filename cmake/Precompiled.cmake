# Precompiled headers: the Qt, standard and GoogleTest headers that most
# sources of a target include are parsed once per target instead of once per
# source. Each level only names headers of the Qt modules a target at that
# level links. -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON turns them all off.

set(TV_PCH_CORE
  <algorithm> <cmath> <cstdint> <cstring> <functional> <memory> <string> <vector>
  <QByteArray> <QCoreApplication> <QDateTime> <QDir> <QFile> <QFileInfo> <QList>
  <QObject> <QString> <QStringList> <QTimer>)
set(TV_PCH_GUI ${TV_PCH_CORE}
  <QColor> <QFont> <QFontMetrics> <QImage> <QPainter> <QPixmap>)
set(TV_PCH_WIDGETS ${TV_PCH_GUI}
  <QApplication> <QDialog> <QHeaderView> <QLabel> <QLineEdit> <QMessageBox>
  <QPushButton> <QTreeWidget> <QVBoxLayout> <QWidget>)
set(TV_PCH_TEST <gtest/gtest.h> <QTemporaryDir>)

# tv_precompile(target LEVEL [TEST] [headers...]) gives a static library or
# executable the headers of LEVEL (CORE, GUI or WIDGETS); TEST adds
# GoogleTest's, and any further headers are added as given.
function(tv_precompile target level)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    return()
  endif()
  set(headers ${TV_PCH_${level}})
  set(extra ${ARGN})
  if(extra)
    list(GET extra 0 first)
    if(first STREQUAL "TEST")
      list(REMOVE_AT extra 0)
      list(APPEND headers ${TV_PCH_TEST})
    endif()
  endif()
  target_precompile_headers(${target} PRIVATE ${headers} ${extra})
endfunction()

# tv_precompile_like(target other) has target use the precompiled headers of
# other, a target of the same level: their flags differ only in Qt module
# macros and include folders, which those headers do not depend on, so one
# header build serves both.
function(tv_precompile_like target other)
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    target_precompile_headers(${target} REUSE_FROM ${other})
  endif()
endfunction()
