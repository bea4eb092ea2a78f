#pragma once
// Each benchmark prints its own figures. Allocation counts come from the
// program's replaced global operator new (allocation_counter.cpp).
#include <cstdint>

std::uint64_t heap_allocations(); // operator new calls so far in this program

void run_display_benchmark();
void run_hooking_benchmark();
void run_host_check_benchmark();
void run_module_frame_benchmark(); // through the real DLL beside the program
void run_module_load_benchmark();  // LoadLibrary of the DLL and of a module that does nothing
void run_new_game_benchmark();     // a game start through the real DLL, with and without a file
