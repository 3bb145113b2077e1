# The suites built by the 64-bit tree and run by the 32-bit tree's CTest in a
# win64 prefix (tests/win64.cmake). One list for both trees.
set(VARNEL_WIN64_SUITES
  window_table_test          # pointer-sized procedures and handles in the table
  engine_lifecycle_test
  dll_hooks_test             # varnel64.dll's exports and hooks
  plugin_test                # vlplug64.dll through the interface
  before_message_hook_test   # message sequences
  after_message_hook_test
  static_window_proc_test
  inert_sequences_test
  caption_messages_test      # captions
  caption_repaint_test
  gradient_painter_test
  caption_fidelity_test      # the system's caption beside the engine's, from the screen
  caption_matrix_test
  frame_top_test             # the top of the frame the engine draws, against the system's
  flicker_table_test         # flashes and double paints of every caption repaint
  unicode_windows_test
  thread_entry_test          # entry by window events, the way programs are entered on 64-bit Windows
  shared_block_test          # the block both bitnesses share, its name held by other programs
  unload_live_windows_test   # unload
  fuzz_messages_test         # fuzzing, at a tenth of its size
  win64_loader_test)         # vlload and vlload64 across processes of both bitnesses
