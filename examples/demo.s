! The demo program: greets over the serial line, then shows a counter and
! waits for a key, again and again. Built for the user area of flash; the
! board starts it by itself when the user flag is set (see README).
!
! It talks through SCI channel 1, the channel the monitor shares with it,
! polling the status flags; the monitor has set the channel up already.

        .equ    SCI1_BASE, 0xFFFFC080   ! SCSMR_1
        .equ    SCTDR, 6                ! transmit data, from the base
        .equ    SCSSR, 8                ! status: TDRE bit 7, RDRF bit 6
        .equ    SCRDR, 10               ! receive data
        .equ    TDRE, 0x80
        .equ    RDRF, 0x40
        .equ    STACK_TOP, 0xFFFFBF80   ! the loader's write buffer lies above

! The vector pair the board starts the program from: initial PC, initial SP.
        .section .vectors, "a"
        .long   _start
        .long   STACK_TOP

        .text
        .global _start
_start:
        mov.l   sci_base, r8            ! r8: the channel, for every routine
        mova    greeting, r0
        bsr     _puts
        mov     r0, r4
        mov     #0, r9                  ! r9: the counter
main_loop:
        bsr     _show_count
        mov     r9, r4
        mova    prompt, r0
        bsr     _puts
        mov     r0, r4
        bsr     _getkey
        nop
        bsr     _putc                   ! echo the key
        mov     r0, r4
        mova    line_end, r0
        bsr     _puts
        mov     r0, r4
        bra     main_loop
        add     #1, r9

! _show_count: prints "count = N" and a line end; r4 holds N. A good place
! for a breakpoint: it runs once for every key.
        .global _show_count
_show_count:
        sts.l   pr, @-r15
        mov.l   r9, @-r15
        mov     r4, r9
        mova    count_label, r0
        bsr     _puts
        mov     r0, r4
        bsr     _put_decimal
        mov     r9, r4
        mova    line_end, r0
        bsr     _puts
        mov     r0, r4
        mov.l   @r15+, r9
        lds.l   @r15+, pr
        rts
        nop

! _put_decimal: r4 in decimal, without leading zeros. SH-2 has no divide
! instruction, so each digit counts how often its power of ten fits.
        .global _put_decimal
_put_decimal:
        sts.l   pr, @-r15
        mov.l   r9, @-r15
        mov.l   r10, @-r15
        mov.l   r11, @-r15
        mov     r4, r9                  ! what is left to print
        mova    powers, r0
        mov     r0, r10                 ! next power of ten
        mov     #0, r11                 ! digits printed
1:      mov.l   @r10+, r1
        tst     r1, r1
        bt      4f                      ! the table ends with 0
        mov     #0, r2
2:      cmp/hs  r1, r9
        bf      3f
        sub     r1, r9
        bra     2b
        add     #1, r2
3:      tst     r2, r2                  ! a leading zero is skipped, but 0 itself is printed
        bf      5f
        tst     r11, r11
        bf      5f
        mov     r1, r0
        cmp/eq  #1, r0
        bf      1b
5:      mov     r2, r4
        add     #'0', r4
        bsr     _putc
        add     #1, r11
        bra     1b
        nop
4:      mov.l   @r15+, r11
        mov.l   @r15+, r10
        mov.l   @r15+, r9
        lds.l   @r15+, pr
        rts
        nop

! _puts: the zero-terminated text at r4.
        .global _puts
_puts:
        sts.l   pr, @-r15
        mov     r4, r5
1:      mov.b   @r5+, r4
        tst     r4, r4
        bt      2f
        bsr     _putc
        nop
        bra     1b
        nop
2:      lds.l   @r15+, pr
        rts
        nop

! _putc: sends the byte in r4 once the transmitter has room. Uses r0 only.
        .global _putc
_putc:
1:      mov.b   @(SCSSR, r8), r0
        tst     #TDRE, r0
        bt      1b
        mov     r4, r0
        mov.b   r0, @(SCTDR, r8)
        mov.b   @(SCSSR, r8), r0
        and     #(~TDRE & 0xFF), r0
        rts
        mov.b   r0, @(SCSSR, r8)

! _getkey: waits for a received byte and returns it in r0.
        .global _getkey
_getkey:
1:      mov.b   @(SCSSR, r8), r0
        tst     #RDRF, r0
        bt      1b
        mov.b   @(SCRDR, r8), r0
        extu.b  r0, r1
        mov.b   @(SCSSR, r8), r0
        and     #(~RDRF & 0xFF), r0
        mov.b   r0, @(SCSSR, r8)
        rts
        mov     r1, r0

        .align  2
sci_base:
        .long   SCI1_BASE
powers:
        .long   1000000000, 100000000, 10000000, 1000000, 100000
        .long   10000, 1000, 100, 10, 1, 0
        .align  2
greeting:
        .asciz  "Hello from the quillsim demo.\r\n"
        .align  2
count_label:
        .asciz  "count = "
        .align  2
prompt:
        .asciz  "Press a key: "
        .align  2
line_end:
        .asciz  "\r\n"
