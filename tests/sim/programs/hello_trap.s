! Prints "Hello" through SCI_1, calls its own TRAPA #40 handler (which
! prints "!" and returns with RTE), then TRAPA #33, whose entry in its
! vector table is 0: a handler in the monitor's blocks, so the run stops.
    .text
    .long start
    .long 0xFFFFBF80
    .org 0x2000
start:
    mov.l vbr_addr, r0
    ldc r0, vbr
    mov.l sci, r1
    mova msg, r0
    mov r0, r2
print:
    mov.b @r2+, r0
    tst r0, r0
    bt done
    bsr putc
    nop
    bra print
    nop
done:
    trapa #40
    mov #7, r3
    trapa #33
    nop
! r0: the character; r1: the SCI. SCTDR, then TDRE cleared.
putc:
    mov.b r0, @(6, r1)
    mov.b @(8, r1), r0
    and #0x7f, r0
    rts
    mov.b r0, @(8, r1)
handler40:
    sts.l pr, @-r15
    mov #33, r0
    bsr putc
    nop
    lds.l @r15+, pr
    rte
    nop
    .align 2
vbr_addr: .long 0x3000
sci: .long 0xFFFFC080
msg: .asciz "Hello"
    .org 0x3000 + 4 * 40
    .long handler40
