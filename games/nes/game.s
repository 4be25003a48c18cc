; Relicade NES test game: a blue screen, a row of eight boxes showing how often the game was
; started (kept in battery memory), and a red square the pad moves.
.setcpu "6502"

PPUCTRL   = $2000
PPUMASK   = $2001
PPUSTATUS = $2002
OAMADDR   = $2003
PPUSCROLL = $2005
PPUADDR   = $2006
PPUDATA   = $2007
OAMDMA    = $4014
JOYPAD1   = $4016

SAVE      = $6000          ; battery memory: "RLCD" then the start counter
OAM       = $0200          ; sprite table copied to the PPU in every vertical blank

.segment "HEADER"
    .byte "NES", $1A
    .byte 1                 ; 16 KiB program
    .byte 1                 ; 8 KiB tiles
    .byte $02               ; battery-backed memory at $6000, horizontal mirroring
    .byte 0
    .res 8, 0

.segment "BSS"
frame_ready: .res 1
pad:         .res 1
sprite_x:    .res 1
sprite_y:    .res 1

.segment "CODE"
signature: .byte "RLCD"
; Universal background blue, box colours (dark grey unlit, white lit), then the sprite palette: red.
palette:   .byte $12, $00, $10, $30,  $12, $00, $10, $30,  $12, $00, $10, $30,  $12, $00, $10, $30
           .byte $12, $16, $16, $16,  $12, $16, $16, $16,  $12, $16, $16, $16,  $12, $16, $16, $16

reset:
    sei
    cld
    ldx #$FF
    txs
    inx
    stx PPUCTRL
    stx PPUMASK
    bit PPUSTATUS
@wait1:                     ; the PPU takes two frames to warm up
    bit PPUSTATUS
    bpl @wait1
    txa
@clear:
    sta $0000, x
    sta $0100, x
    sta $0300, x
    sta $0400, x
    sta $0500, x
    sta $0600, x
    sta $0700, x
    lda #$FF                ; every unused sprite sits below the screen
    sta OAM, x
    lda #0
    inx
    bne @clear
@wait2:
    bit PPUSTATUS
    bpl @wait2

    ; Battery memory: a missing signature means a fresh cartridge, so the counter starts at zero.
    ldx #3
@check:
    lda signature, x
    cmp SAVE, x
    bne @fresh
    dex
    bpl @check
    jmp @count
@fresh:
    ldx #3
@sign:
    lda signature, x
    sta SAVE, x
    dex
    bpl @sign
    lda #0
    sta SAVE+4
@count:
    inc SAVE+4

    ; Palette
    lda #$3F
    sta PPUADDR
    lda #$00
    sta PPUADDR
    ldx #0
@pal:
    lda palette, x
    sta PPUDATA
    inx
    cpx #32
    bne @pal

    ; Name table and attributes: all blank (tile 0)
    lda #$20
    sta PPUADDR
    lda #$00
    sta PPUADDR
    ldy #4
    ldx #0
@nt:
    sta PPUDATA
    inx
    bne @nt
    dey
    bne @nt

    ; The counter: eight boxes on tile row 4 from column 12, highest bit first (tile 1 lit, 2 unlit).
    lda #$20
    sta PPUADDR
    lda #$8C
    sta PPUADDR
    lda SAVE+4
    ldx #8
@bits:
    asl a
    pha
    lda #2
    bcc @unlit
    lda #1
@unlit:
    sta PPUDATA
    pla
    dex
    bne @bits

    ; The square starts in the middle of the screen.
    lda #124
    sta sprite_x
    lda #116
    sta sprite_y
    jsr place_sprite

    lda #0
    sta PPUSCROLL
    sta PPUSCROLL
    lda #$80                ; vertical-blank interrupt on
    sta PPUCTRL
    lda #$1E                ; background and sprites, left column included
    sta PPUMASK

main:
    lda frame_ready
    beq main
    lda #0
    sta frame_ready
    jsr read_pad
    lda pad
    and #$08                ; up
    beq :+
    dec sprite_y
:   lda pad
    and #$04                ; down
    beq :+
    inc sprite_y
:   lda pad
    and #$02                ; left
    beq :+
    dec sprite_x
:   lda pad
    and #$01                ; right
    beq :+
    inc sprite_x
:   jsr place_sprite
    jmp main

; The sprite's row is one line above where it is drawn.
place_sprite:
    ldy sprite_y
    dey
    sty OAM
    lda #1
    sta OAM+1
    lda #0
    sta OAM+2
    lda sprite_x
    sta OAM+3
    rts

; Bits, highest first: A B Select Start Up Down Left Right.
read_pad:
    lda #1
    sta JOYPAD1
    lda #0
    sta JOYPAD1
    ldx #8
@next:
    lda JOYPAD1
    lsr a
    rol pad
    dex
    bne @next
    rts

nmi:
    pha
    lda #0
    sta OAMADDR
    lda #>OAM
    sta OAMDMA
    lda #1
    sta frame_ready
    pla
irq:
    rti

.segment "VECTORS"
    .word nmi, reset, irq

.segment "CHARS"
    .res 16, 0                              ; tile 0: blank
    .res 8, $FF                             ; tile 1: solid colour 3
    .res 8, $FF
    .res 8, $FF                             ; tile 2: solid colour 1
    .res 8, $00
