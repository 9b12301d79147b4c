# The layers, from the bottom, and for each the layers below it that it may use. The include
# check (CheckLayers.cmake) and the libraries of the top CMakeLists.txt both read this table,
# so what may be included and what may be linked never differ.
set(QV_LAYERS framework components look settings app qvclips)
set(QV_BELOW_framework "")
set(QV_BELOW_components framework)
set(QV_BELOW_look framework)
set(QV_BELOW_settings framework components look)
set(QV_BELOW_app framework components look settings)
set(QV_BELOW_qvclips framework app)

# The library a layer folder gives its portable files to; the Win32 files go to qv_<folder>.
function(qv_portable_library folder out)
  if(folder STREQUAL "qvclips")
    set(${out} qv_clips PARENT_SCOPE)
  else()
    set(${out} qv_core_${folder} PARENT_SCOPE)
  endif()
endfunction()
