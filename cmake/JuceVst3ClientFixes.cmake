# Faults of the VST3 client in JUCE 7.0.5 that reach the bundle, fixed in
# patched copies of the two files they live in. Each patch says "Vesperline:"
# where it departs from JUCE.
#
# juce_audio_processors/format_types/juce_VST3Common.h
#   - every process() call copied the input bus's channel map, which allocates
#     on the audio thread; later JUCE versions take it by reference, as here;
#   - a block with more samples than the host announced in setupProcessing
#     was copied into a scratch buffer sized for the announced maximum, past
#     its end; such a block is now processed in the host's own output buffers.
#
# juce_audio_plugin_client/VST3/juce_VST3_Wrapper.cpp
#   - restoring a damaged state trusted the size of JUCE's private section at
#     the end of the block and read outside the block; and it read that
#     section with ValueTree's reader, which trusts the counts it finds and can
#     spend minutes or gigabytes on damaged ones. Both now refuse damage.
#
# Only the plug-in's VST3 client sees the copies; JUCE's hosting code, used by
# the tests and tools, includes the original header by a relative path.

find_program(VESPERLINE_PATCH_EXECUTABLE patch REQUIRED)

# Writes <fixed_root>/<relative_path>, the module file patched with patch_file.
function(_vesperline_patch_juce_file relative_path patch_file fixed_root)
    set(original "${JUCE_MODULES_DIR}/${relative_path}")
    set(fixed "${fixed_root}/${relative_path}")

    # JUCE ships these files with CRLF line ends; the patches are written against LF.
    file(READ "${original}" content)
    string(REPLACE "\r\n" "\n" content "${content}")
    file(WRITE "${fixed}.orig" "${content}")

    execute_process(
        COMMAND "${VESPERLINE_PATCH_EXECUTABLE}" --quiet --forward --reject-file=- -o "${fixed}" "${fixed}.orig" "${patch_file}"
        RESULT_VARIABLE result
        OUTPUT_VARIABLE output
        ERROR_VARIABLE output)

    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${patch_file} does not apply to ${original} (another JUCE version?):\n${output}")
    endif()

    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${original}" "${patch_file}")
endfunction()

# Builds the VST3 client of plugin_target (a juce_add_plugin target) from the
# patched copies.
function(vesperline_use_fixed_juce_vst3_client plugin_target)
    set(fixed_root "${CMAKE_BINARY_DIR}/juce-fixed")

    _vesperline_patch_juce_file(juce_audio_processors/format_types/juce_VST3Common.h
                                "${CMAKE_SOURCE_DIR}/cmake/juce_VST3Common.patch" "${fixed_root}")
    _vesperline_patch_juce_file(juce_audio_plugin_client/VST3/juce_VST3_Wrapper.cpp
                                "${CMAKE_SOURCE_DIR}/cmake/juce_VST3_Wrapper.patch" "${fixed_root}")

    # The client's translation unit, compiled instead of the module's own.
    set(original_unit "${JUCE_MODULES_DIR}/juce_audio_plugin_client/juce_audio_plugin_client_VST3.cpp")
    set(fixed_unit "${fixed_root}/juce_audio_plugin_client/juce_audio_plugin_client_VST3.cpp")
    file(WRITE "${fixed_unit}" "#include \"VST3/juce_VST3_Wrapper.cpp\"\n")

    get_target_property(client_sources juce_audio_plugin_client_VST3 INTERFACE_SOURCES)
    list(FIND client_sources "${original_unit}" index)

    if(index EQUAL -1)
        message(FATAL_ERROR "The VST3 client target does not compile ${original_unit}; the fixes need another way in")
    endif()

    list(REMOVE_AT client_sources ${index})
    list(APPEND client_sources "${fixed_unit}")
    set_target_properties(juce_audio_plugin_client_VST3 PROPERTIES INTERFACE_SOURCES "${client_sources}")

    # Found before the module's own copy of the header.
    target_include_directories(${plugin_target}_VST3 BEFORE PRIVATE "${fixed_root}")
endfunction()
