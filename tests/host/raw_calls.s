# Calls into the host the way host code does, with nothing of the compiler's
# own calling conventions in between, so that tests see exactly which stack
# arguments a host function removes and where its result comes back.

        .text

# void raw_host_call(raw_call* call)
# raw_call: +0 address, +4 ecx, +8 words, +12 word count, +16 float result
# flag; out: +20 eax, +24 st0 as float bits, +28 bytes the callee removed.
        .globl _raw_host_call
_raw_host_call:
        pushl %ebp
        movl %esp, %ebp
        pushl %ebx
        pushl %esi
        pushl %edi
        movl 8(%ebp), %ebx
        movl 8(%ebx), %esi
        movl 12(%ebx), %ecx
1:      testl %ecx, %ecx
        jz 2f
        decl %ecx
        pushl (%esi,%ecx,4)
        jmp 1b
2:      movl %esp, %edi
        movl 4(%ebx), %ecx
        call *(%ebx)
        movl %eax, 20(%ebx)
        cmpl $0, 16(%ebx)
        je 3f
        fstps 24(%ebx)
3:      movl %esp, %eax
        subl %edi, %eax
        movl %eax, 28(%ebx)
        leal -12(%ebp), %esp
        popl %edi
        popl %esi
        popl %ebx
        popl %ebp
        ret

# int write_byte_probe(unsigned char* address, unsigned char value)
# Returns 1 after the store; a fault handler that moves EIP from
# _write_byte_probe_store to _write_byte_probe_resume with EAX = 0 makes it
# return 0 instead.
        .globl _write_byte_probe
        .globl _write_byte_probe_store
        .globl _write_byte_probe_resume
_write_byte_probe:
        movl 4(%esp), %ecx
        movl 8(%esp), %edx
        movl $1, %eax
_write_byte_probe_store:
        movb %dl, (%ecx)
_write_byte_probe_resume:
        ret
