# marvane_tone_fixture(OUTPUT SECONDS_TENTHS FREQUENCY [VBR]): a stereo 44.1 kHz
# tone MP3 made at build time with GStreamer: 64 kbit/s with a Xing header, or
# with VBR, variable rate and no Xing header (its length is only an estimate
# until the whole file has been read).
find_program(GST_LAUNCH gst-launch-1.0 REQUIRED)
function(marvane_tone_fixture OUTPUT TENTHS FREQUENCY)
  get_filename_component(folder ${OUTPUT} DIRECTORY)
  if(ARGV3 STREQUAL "VBR")
    set(encoder lamemp3enc target=quality quality=6)
  else()
    set(encoder lamemp3enc target=bitrate bitrate=64 cbr=true ! xingmux)
  endif()
  add_custom_command(
    OUTPUT ${OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E env GST_REGISTRY=${CMAKE_BINARY_DIR}/gst-registry.bin
            ${GST_LAUNCH} -q audiotestsrc num-buffers=${TENTHS} samplesperbuffer=4410 freq=${FREQUENCY}
            ! audio/x-raw,rate=44100,channels=2 ! ${encoder} ! filesink location=${OUTPUT}
    VERBATIM)
endfunction()

# marvane_picture_fixture(OUTPUT): a small JPEG picture, whatever OUTPUT's name says.
function(marvane_picture_fixture OUTPUT)
  get_filename_component(folder ${OUTPUT} DIRECTORY)
  add_custom_command(
    OUTPUT ${OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E env GST_REGISTRY=${CMAKE_BINARY_DIR}/gst-registry.bin
            ${GST_LAUNCH} -q videotestsrc num-buffers=1 ! video/x-raw,width=320,height=240 ! jpegenc
            ! filesink location=${OUTPUT}
    VERBATIM)
endfunction()
