;;; tintra.el --- Edit the colour at point with the Tintra colour picker  -*- lexical-binding: t; -*-

;; Version: 1.0
;; Package-Requires: ((emacs "26.1"))
;; Keywords: tools, faces

;;; Commentary:

;; `tintra-edit-color-at-point' hands the current line (or the active
;; region) to `tintra --filter', which finds the colour nearest to point,
;; opens the picker on it and writes the text back with the chosen colour in
;; the notation and style it was written in.  The buffer changes only when
;; the colour was confirmed, in one undo step.
;;
;;   (add-to-list 'load-path "/path/to/tintra/editors/emacs")
;;   (require 'tintra)
;;   (global-set-key (kbd "C-c t") #'tintra-edit-color-at-point)

;;; Code:

(require 'subr-x)

(defgroup tintra nil
  "Edit colours in text with the Tintra colour picker."
  :group 'tools
  :prefix "tintra-")

(defcustom tintra-program "tintra"
  "The Tintra program: a name on `exec-path' or a file name."
  :type 'string)

(defcustom tintra-arguments nil
  "More arguments for every run, such as (\"--hex-order\" \"argb\")."
  :type '(repeat string))

(defconst tintra-notations
  '("css-hex" "css-rgb" "css-hsl" "hex-0x" "classic-rgb" "pascal-hex"
    "float-vector" "decimal")
  "The notations `--to' writes.")

(defconst tintra--status-messages
  '((1 . "cancelled")
    (2 . "no colour here")
    (3 . "no display"))
  "What the filter's exit statuses other than 0 and failures mean.")

;; The text goes out and comes back with its line breaks as they are (CR and
;; NUL included), so `--at' counts the bytes the program reads and every
;; character outside the colour comes back the same: in UTF-8, or byte for
;; byte in a buffer read as binary (its letters are raw bytes).
(defun tintra--coding ()
  "The coding system for the text sent and read back."
  (if (or (not enable-multibyte-characters)
          (memq (coding-system-base buffer-file-coding-system)
                '(no-conversion raw-text)))
      'no-conversion
    'utf-8-unix))

(defun tintra--bytes (start end)
  "The number of bytes of the text between START and END as sent."
  (length (encode-coding-string (buffer-substring-no-properties start end)
                                (tintra--coding) t)))

(defun tintra--directory ()
  "A local, existing directory to run the program in."
  (if (and (not (file-remote-p default-directory))
           (file-accessible-directory-p default-directory))
      default-directory
    temporary-file-directory))

(defun tintra--run (start end at notation)
  "Filter the text between START and END; AT is the byte offset of point.
NOTATION, when not nil, is given to `--to'.  Returns (STATUS OUTPUT ERRORS)."
  (let ((output (generate-new-buffer " *tintra-output*"))
        (errors (make-temp-file "tintra-errors"))
        (default-directory (tintra--directory)))
    (unwind-protect
        (let* ((coding-system-for-write (tintra--coding))
               (coding-system-for-read coding-system-for-write)
               (arguments (append (list "--filter" "--at" (number-to-string at))
                                  (and notation (list "--to" notation))
                                  tintra-arguments))
               (status (apply #'call-process-region start end tintra-program
                              nil (list output errors) nil arguments)))
          (list status
                (with-current-buffer output
                  (buffer-substring-no-properties (point-min) (point-max)))
                (with-temp-buffer
                  (insert-file-contents errors)
                  (string-trim (buffer-string)))))
      (kill-buffer output)
      (delete-file errors))))

(defun tintra--replace (start end text)
  "Make the text between START and END read TEXT, changing only what differs."
  (let ((source (generate-new-buffer " *tintra-source*")))
    (unwind-protect
        (progn
          (with-current-buffer source (insert text))
          (save-restriction
            (narrow-to-region start end)
            (replace-buffer-contents source)))
      (kill-buffer source))))

;;;###autoload
(defun tintra-edit-color-at-point (&optional notation)
  "Edit the colour at point, on the current line or in the active region.
With a prefix argument, ask for NOTATION: the colour is written in it."
  (interactive
   (list (and current-prefix-arg
              (completing-read "Notation: " tintra-notations nil t))))
  (barf-if-buffer-read-only)
  (when (and notation (not (member notation tintra-notations)))
    (user-error "tintra: unknown notation %s" notation))
  (let* ((region (use-region-p))
         (start (if region (region-beginning) (line-beginning-position)))
         (end (if region
                  (region-end)
                (min (1+ (line-end-position)) (point-max))))
         (at (tintra--bytes start (max start (min (point) end))))
         (result (condition-case failure
                     (tintra--run start end at notation)
                   (file-error
                    (user-error "tintra: cannot run %s: %s" tintra-program
                                (error-message-string failure)))))
         (status (nth 0 result))
         (output (nth 1 result)))
    (cond
     ((eq status 0)
      (unless (string= output (buffer-substring-no-properties start end))
        (tintra--replace start end output)))
     ((assq status tintra--status-messages)
      (message "tintra: %s" (cdr (assq status tintra--status-messages))))
     (t
      (user-error "tintra: %s failed (exit status %s)%s" tintra-program status
                  (if (string= (nth 2 result) "") ""
                    (concat ": " (nth 2 result))))))))

(provide 'tintra)
;;; tintra.el ends here
