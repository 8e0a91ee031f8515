# Precompiled headers. Most files of the client and of the test programs spend
# more time parsing Qt Widgets and WebEngine, or gtest, than compiling their
# own code. GCC's precompiled headers are big (some 200 MB for the Qt set)
# and take longer to write than the headers take to parse, so each set is
# built once, by one target, and the other targets of the same kind reuse it:
#   Qt set:    made by pallido_present, reused by the client and window tests
#   gtest set: made by services_tests, reused by the other Qt-free test programs
# A reusing target must be compiled with the same flags and with the same
# definition of every macro these headers look at (QT_NO_KEYWORDS included);
# GCC warns (-Winvalid-pch) when a precompiled header does not fit and then
# parses the headers itself.
# Files that use none of these headers are left out (SKIP_PRECOMPILE_HEADERS):
# loading the precompiled header would cost them more than they parse.
# Each list holds only headers from outside the project, so editing our own
# headers never rebuilds a precompiled header. A file still has to include
# what it uses: configure with -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON to check
# that every file compiles on its own.

set(PALLIDO_PCH_STD
  <algorithm> <array> <atomic> <chrono> <cstddef> <cstdint> <cstdio> <cstdlib> <functional>
  <map> <memory> <mutex> <optional> <string> <string_view> <thread> <utility> <vector>)

# What the window and its browser panes use.
set(PALLIDO_PCH_QT
  <QAbstractButton> <QAbstractItemView> <QAccessible> <QAccessibleWidget> <QApplication>
  <QBuffer> <QByteArray> <QCheckBox> <QColor> <QComboBox> <QCoreApplication> <QEvent>
  <QFrame> <QGuiApplication> <QHash> <QIcon> <QKeyEvent> <QLabel> <QLineEdit> <QList>
  <QMainWindow> <QMenu> <QMessageBox> <QMouseEvent> <QObject> <QPainter> <QPixmap>
  <QPointer> <QPushButton> <QScreen> <QScrollBar> <QSpinBox> <QString> <QTabBar> <QThread>
  <QTimer> <QToolButton> <QTreeWidget> <QUrl> <QWebEnginePage> <QWebEngineProfile>
  <QWebEngineScript> <QWebEngineUrlRequestInterceptor> <QWebEngineView> <QWheelEvent>
  <QWidget>)

set(PALLIDO_PCH_GTEST <gtest/gtest.h> <filesystem> <fstream>)

# The target that makes the Qt set (pallido_present).
function(pallido_make_qt_pch target)
  target_precompile_headers(${target} PRIVATE ${PALLIDO_PCH_STD} ${PALLIDO_PCH_QT})
endfunction()

# A target that links pallido_present and compiles with QT_NO_KEYWORDS.
# Further arguments: its files that use no Qt.
function(pallido_use_qt_pch target)
  target_precompile_headers(${target} REUSE_FROM pallido_present)
  if(ARGN)
    set_source_files_properties(${ARGN} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
  endif()
endfunction()

# The target that makes the gtest set (services_tests).
function(pallido_make_gtest_pch target)
  target_precompile_headers(${target} PRIVATE ${PALLIDO_PCH_STD} ${PALLIDO_PCH_GTEST})
endfunction()

# A gtest program without Qt that links pallido_testsupport or app_testsupport
# (cpp-httplib's definitions are part of the set's flags).
function(pallido_use_gtest_pch target)
  target_precompile_headers(${target} REUSE_FROM services_tests)
endfunction()
