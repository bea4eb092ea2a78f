# The host's address space: a zero-filled, executable section at 0x401000 that
# reaches past 0xD00000. The simulator writes the host's code and globals here.
        .section .hostimg,"bwx"
        .globl _sim_host_image
_sim_host_image:
        .space 0xD00000-0x401000
