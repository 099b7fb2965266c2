# marvane_tone_fixture(OUTPUT SECONDS_TENTHS FREQUENCY): a stereo 44.1 kHz
# tone MP3 (64 kbit/s, with a Xing header) made at build time with GStreamer.
find_program(GST_LAUNCH gst-launch-1.0 REQUIRED)
function(marvane_tone_fixture OUTPUT TENTHS FREQUENCY)
  get_filename_component(folder ${OUTPUT} DIRECTORY)
  add_custom_command(
    OUTPUT ${OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E env GST_REGISTRY=${CMAKE_BINARY_DIR}/gst-registry.bin
            ${GST_LAUNCH} -q audiotestsrc num-buffers=${TENTHS} samplesperbuffer=4410 freq=${FREQUENCY}
            ! audio/x-raw,rate=44100,channels=2 ! lamemp3enc target=bitrate bitrate=64 cbr=true
            ! xingmux ! filesink location=${OUTPUT}
    VERBATIM)
endfunction()
