# Both programs are laid out as application bundles on every platform, so that every path the
# product relies on (Info.plist, Resources, the embedded launcher) is the same everywhere.
set(VISTREL_BUNDLE_DIR ${CMAKE_BINARY_DIR}/bundles)
set(VISTREL_LAUNCHER_BUNDLE ${VISTREL_BUNDLE_DIR}/Vistrel.app)
set(VISTREL_INSTALLER_BUNDLE ${VISTREL_BUNDLE_DIR}/VistrelInstaller.app)
set(VISTREL_LAUNCHER_BUNDLE_ID "com.qelvonet.tarvik.launcher")
set(VISTREL_INSTALLER_BUNDLE_ID "com.qelvonet.tarvik.installer")

# vistrel_add_bundle(<target> BUNDLE <dir> EXECUTABLE <name> IDENTIFIER <id> NAME <display name>)
function(vistrel_add_bundle target)
    cmake_parse_arguments(ARG "" "BUNDLE;EXECUTABLE;IDENTIFIER;NAME" "" ${ARGN})
    set_target_properties(${target} PROPERTIES
        OUTPUT_NAME ${ARG_EXECUTABLE}
        RUNTIME_OUTPUT_DIRECTORY ${ARG_BUNDLE}/Contents/MacOS)
    set(BUNDLE_EXECUTABLE ${ARG_EXECUTABLE})
    set(BUNDLE_IDENTIFIER ${ARG_IDENTIFIER})
    set(BUNDLE_NAME ${ARG_NAME})
    set(BUNDLE_VERSION ${PROJECT_VERSION})
    configure_file(${PROJECT_SOURCE_DIR}/resources/Info.plist.in ${ARG_BUNDLE}/Contents/Info.plist @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/resources/AppIcon.png ${ARG_BUNDLE}/Contents/Resources/AppIcon.png COPYONLY)
endfunction()
