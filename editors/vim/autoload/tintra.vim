" Tintra for Vim and Neovim: runs `tintra --filter` over lines of the buffer
" and puts its answer back. The program reads the text on standard input
" and writes it, with the chosen colour, on standard output; its exit status
" says what happened (0 confirmed, 1 cancelled, 2 no colour, 3 no display).

let s:notations = ['css-hex', 'css-rgb', 'css-hsl', 'hex-0x', 'classic-rgb',
      \ 'pascal-hex', 'float-vector', 'decimal']

let s:status_messages = {
      \ 1: 'tintra: cancelled',
      \ 2: 'tintra: no colour here',
      \ 3: 'tintra: no display',
      \ }

function! tintra#Complete(lead, cmdline, cursor) abort
  return filter(copy(s:notations), 'v:val =~# "^" . a:lead')
endfunction

" The byte offset, in the text made of lines first..last joined by line feeds,
" of byte column `col` (1-based, as col() gives it) of line `lnum`.
function! s:Offset(first, lnum, col) abort
  let offset = 0
  for l in range(a:first, a:lnum - 1)
    let offset += len(getline(l)) + 1
  endfor
  return offset + a:col - 1
endfunction

" The program and its arguments as one shell command.
function! s:Command(at, notation) abort
  let program = get(g:, 'tintra_program', 'tintra')
  let words = [program, '--filter']
  if a:at >= 0
    call extend(words, ['--at', string(a:at)])
  endif
  if a:notation !=# ''
    call extend(words, ['--to', a:notation])
  endif
  call extend(words, get(g:, 'tintra_arguments', []))
  return join(map(words, 'shellescape(v:val)'), ' ')
endfunction

" range: 0 for the cursor's line (the colour under the cursor), else the
" lines first..last (the colour at the start of a characterwise or
" blockwise Visual selection when they are that selection's lines, else
" the first colour in them).
function! tintra#Edit(range, first, last, notation) abort
  if a:notation !=# '' && index(s:notations, a:notation) < 0
    echohl ErrorMsg
    echomsg 'tintra: unknown notation ' . a:notation . ' (one of ' . join(s:notations, ', ') . ')'
    echohl None
    return
  endif
  if !&modifiable
    echohl ErrorMsg | echomsg 'tintra: the buffer cannot be changed' | echohl None
    return
  endif
  if a:range == 0
    let first = line('.')
    let last = first
    let at = col('.') - 1
  else
    let first = a:first
    let last = a:last
    let at = -1
    if visualmode() !=# 'V' && first == line("'<") && last == line("'>")
      let at = s:Offset(first, first, col("'<"))
    endif
  endif

  " Each line, then an empty item: writefile()'s binary form, which
  " system() uses for a List, ends every line with a line feed and turns
  " the buffer's NUL bytes (kept as NL in a line) back into NUL bytes.
  let lines = getline(first, last)
  let errors = tempname()
  let command = s:Command(at, a:notation)
  " Standard error apart: Vim's and Neovim's system() would mix it into the
  " text. csh has no `2>`.
  if &shell !~# 'csh'
    let command .= ' 2>' . shellescape(errors)
  endif
  let output = systemlist(command, lines + [''])
  let status = v:shell_error
  let message = filereadable(errors) ? join(readfile(errors), ' ') : ''
  call delete(errors)

  if status != 0
    " The buffer stays as it is: no change, no undo step.
    if has_key(s:status_messages, status)
      echomsg s:status_messages[status]
    else
      echohl ErrorMsg
      echomsg 'tintra: ' . get(g:, 'tintra_program', 'tintra') . ' failed (exit status '
            \ . status . ')' . (message !=# '' ? ': ' . message : '')
      echohl None
    endif
    return
  endif
  if output ==# lines
    return
  endif
  call s:Replace(first, last, lines, output)
endfunction

" Lines first..last, which hold `old`, become `new`; only the lines that
" differ are written, all in this one command, so one undo step.
function! s:Replace(first, last, old, new) abort
  let common = min([len(a:old), len(a:new)])
  for i in range(common)
    if a:old[i] !=# a:new[i]
      call setline(a:first + i, a:new[i])
    endif
  endfor
  if len(a:new) > common
    call append(a:first + common - 1, a:new[common :])
  elseif len(a:old) > common
    silent execute (a:first + common) . ',' . a:last . 'delete _'
  endif
endfunction
