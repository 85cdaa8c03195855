# zvk_embed_bytes(<target> <data file>...): makes each file available as
# "<stem>.inc" (a list of byte values) on <target>'s include path.
function(zvk_embed_bytes target)
  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/embedded")
  foreach(input IN LISTS ARGN)
    get_filename_component(stem "${input}" NAME_WE)
    set(output "${out_dir}/${stem}.inc")
    add_custom_command(
      OUTPUT "${output}"
      COMMAND "${CMAKE_COMMAND}" -DINPUT=${input} -DOUTPUT=${output}
              -P "${PROJECT_SOURCE_DIR}/cmake/embed_bytes.cmake"
      DEPENDS "${input}" "${PROJECT_SOURCE_DIR}/cmake/embed_bytes.cmake"
      COMMENT "Embedding ${stem}"
      VERBATIM)
    target_sources(${target} PRIVATE "${output}")
  endforeach()
  file(MAKE_DIRECTORY "${out_dir}")
  target_include_directories(${target} PRIVATE "${out_dir}")
endfunction()
